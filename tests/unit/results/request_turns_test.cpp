// The expensive requests' turns: two at once, a line of two, the rest
// refused; a turn given back passes to the first in line.
#include "results/http/request_turns.h"

#include <gtest/gtest.h>

#include <string>

namespace qm {

TEST(RequestTurns, HoldersThenALineInOrderThenRefusals) {
  RequestTurns turns;
  turns.atOnce = 2;
  turns.lineLimit = 2;
  std::string started;
  const auto starter = [&started](char who) {
    return [&started, who](bool turn) { started += turn ? who : '-'; };
  };
  const int a = 0, b = 0, c = 0, d = 0, e = 0;

  EXPECT_EQ(TakeTurn(&turns, &a, starter('a')), TurnAnswer::Now);
  EXPECT_EQ(TakeTurn(&turns, &b, starter('b')), TurnAnswer::Now);
  EXPECT_EQ(TakeTurn(&turns, &c, starter('c')), TurnAnswer::Waiting);
  EXPECT_EQ(TakeTurn(&turns, &d, starter('d')), TurnAnswer::Waiting);
  EXPECT_EQ(TakeTurn(&turns, &e, starter('e')), TurnAnswer::Refused) << "the line is full";
  EXPECT_EQ(started, "");

  GiveTurnBack(&turns);  // a's turn goes to c, the first in line
  EXPECT_EQ(started, "c");
  EXPECT_FALSE(LeaveLine(&turns, &c)) << "c holds a turn now";
  EXPECT_TRUE(LeaveLine(&turns, &d)) << "d gave up waiting";
  EXPECT_FALSE(LeaveLine(&turns, &d));

  GiveTurnBack(&turns);  // nobody waits: the turn is free
  EXPECT_EQ(TakeTurn(&turns, &e, starter('e')), TurnAnswer::Now);
  EXPECT_EQ(TakeTurn(&turns, &d, starter('d')), TurnAnswer::Waiting);
  EmptyLine(&turns);  // a stop: d is told it gets no turn
  EXPECT_EQ(started, "c-");
  EXPECT_EQ(turns.held, 2);
}

}  // namespace qm
