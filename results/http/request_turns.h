// Turns for requests that must not all run at once (searches, drive pages,
// exports): a few hold a turn, a short line waits for one, and the rest are
// refused at once. A waiting request is started by whoever gives a turn
// back, so a turn passes straight on and the line moves in order.
#pragma once

#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>

namespace qm {

struct RequestTurns {
  int atOnce = 2;         // turns held at once
  size_t lineLimit = 32;  // requests waiting for one
  std::mutex mutex;
  int held = 0;
  struct Waiting {
    const void* who;
    // Called outside the lock: with true when its turn comes, with false
    // when the line is emptied at a stop.
    std::function<void(bool turn)> start;
  };
  std::deque<Waiting> line;
};

enum class TurnAnswer { Now, Waiting, Refused };

// Now: the caller holds a turn. Waiting: start runs once one is given back.
// Refused: every turn is held and the line is full.
TurnAnswer TakeTurn(RequestTurns* turns, const void* who, std::function<void(bool turn)> start);

// The holder is done: the first in line takes the turn over, or it is free.
void GiveTurnBack(RequestTurns* turns);

// Takes who out of the line; false when it is not in it (its turn came).
bool LeaveLine(RequestTurns* turns, const void* who);

// Empties the line (at a stop), calling each start with false.
void EmptyLine(RequestTurns* turns);

}  // namespace qm
