// The console shell: help screen, menu answers, the command prompt.
#include "session.h"

#include <string>

namespace {

TEST(ShellScenario, HelpMenuAndHelpAgainThenEnd) {
    Session session;
    SessionResult result = session.Run("5\n0\n");
    EXPECT_EQ(result.exit_status, 0);
    EXPECT_TRUE(SameText(HelpScreen() + MenuText() + HelpScreen() + MenuText(), result.output));
    EXPECT_TRUE(session.Files().empty());
}

}  // namespace
