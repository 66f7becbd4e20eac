// The run-time's state has one owner at a time, and a callback's busy flag is
// cleared however the callback ends.
#include "session.h"
#include "scoped_flag.h"

#include <gtest/gtest.h>
#include <stdexcept>

namespace {

TEST(Session, ASecondOneWhileOneLivesIsRefused) {
  const rt::Session first;
  EXPECT_THROW(rt::Session second, std::logic_error);
  EXPECT_EQ(rt::Session::active(), &first) << "the refused one took nothing over";
}

TEST(Session, ANewOneMayFollowOneThatEnded) {
  { const rt::Session first; }
  EXPECT_EQ(rt::Session::active(), nullptr);
  const rt::Session next;
  EXPECT_EQ(&rt::Session::current(), &next);
}

TEST(ScopedFlag, IsClearedWhenTheScopeEndsByAnException) {
  bool busy = false;
  EXPECT_THROW(
      {
        const rt::ScopedFlag running(busy);
        EXPECT_TRUE(busy);
        throw std::runtime_error("the callback failed");
      },
      std::runtime_error);
  EXPECT_FALSE(busy);
}

} // namespace
