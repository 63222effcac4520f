#!/usr/bin/env bash
# writer_path_tls.sh OBJDUMP PROGRAM.exe
#
# Fails when a call to __emutls_get_address can be reached from the writers'
# code in the Windows program: MinGW compiles thread_local (and what uses it,
# such as std::call_once) into such a call on every access, which would sit
# inside the measured write loop. Follows direct calls and jumps from the
# writer's thread procedure and from the backend functions the writer
# reaches through the platform tables (starting the thread, opening,
# writing and closing files, pausing, the thread id and the tick count).
# Throwing is not followed: the program throws nothing, and a failed
# allocation ends it.
set -euo pipefail
objdump=$1
program=$2

"$objdump" -d -C --no-show-raw-insn "$program" | awk '
  function strip(target) {
    sub(/\+0x[0-9a-f]+$/, "", target)
    return target
  }
  /^[0-9a-f]+ <.*>:$/ {
    name = substr($0, index($0, "<") + 1)
    name = substr(name, 1, length(name) - 2)
    defined[name] = 1
    next
  }
  /\t(call|jmp|j[a-z]+) +[0-9a-f]+ <.*>$/ {
    target = substr($0, index($0, "<") + 1)
    target = strip(substr(target, 1, length(target) - 1))
    if (target != name) edges[name] = edges[name] "\n" target
  }
  END {
    unwinding = "^(__cxa_(throw|rethrow|allocate_exception|begin_catch|end_catch|call_terminate)|_Unwind_.*|std::terminate\\(\\))$"
    count = 0
    for (f in defined) {
      if (f ~ /^qm::WriterThread\(/ ||
          f ~ /^qm::\(anonymous namespace\)::(ThreadShim|Open|Write|Close|SleepFor|BeginPeriod|Release|TickCount|CurrentThreadId)\(/) {
        queue[++count] = f
        via[f] = ""
        roots = roots "  " f "\n"
      }
    }
    if (roots !~ /WriterThread/) {
      print "qm::WriterThread not found in the program" > "/dev/stderr"
      exit 2
    }
    printf "following calls from:\n%s", roots
    for (head = 1; head <= count; ++head) {
      f = queue[head]
      n = split(edges[f], targets, "\n")
      for (i = 1; i <= n; ++i) {
        t = targets[i]
        if (t == "" || t in via || t ~ unwinding) continue
        via[t] = f
        if (t ~ /__emutls_get_address/) {
          print "emulated thread-local storage on the writer path:" > "/dev/stderr"
          for (step = t; step != ""; step = via[step]) print "  " step > "/dev/stderr"
          exit 1
        }
        queue[++count] = t
      }
    }
    printf "%d functions reachable, none calls __emutls_get_address\n", count
  }'
