// The one mechanism behind every replaceable table of operations: until a
// test puts another table in force, the backend's own table is used
// directly. Tables are replaced only while no other thread of the program
// runs.
#pragma once

namespace qm {

template <typename Ops>
struct InForce {
  Ops replacement{};
  bool replaced = false;

  const Ops& Get(const Ops& native) const { return replaced ? replacement : native; }

  // Puts ops in force; returns the table it replaced.
  Ops Set(const Ops& ops, const Ops& native) {
    Ops previous = Get(native);
    replacement = ops;
    replaced = true;
    return previous;
  }
};

}  // namespace qm
