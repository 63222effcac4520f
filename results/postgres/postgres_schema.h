// The PostgreSQL schema by versions: step k takes a database of version
// k - 1 to version k (the one row of schema_version). Opening runs the
// missing steps.
#pragma once

namespace qm {

constexpr int POSTGRES_SCHEMA_VERSION = 10;
extern const char* const POSTGRES_MIGRATIONS[POSTGRES_SCHEMA_VERSION];

}  // namespace qm
