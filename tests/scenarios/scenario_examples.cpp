// The example sessions shipped in examples/: each replays unattended from a
// copy of that folder, ends at the end of its input with status 0, and writes
// the reports kept in tests/examples/.
#include "session.h"

#include <dirent.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::string ReadSourceFile(const std::string& relative_path) {
    std::ifstream in(std::string(KANSU_SOURCE_DIR) + "/" + relative_path, std::ios::binary);
    EXPECT_TRUE(in.is_open()) << relative_path;
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

// Every file of examples/, copied into the session's folder.
void CopyExamples(const Session& session) {
    std::string folder = std::string(KANSU_SOURCE_DIR) + "/examples";
    DIR* directory = opendir(folder.c_str());
    ASSERT_NE(directory, nullptr) << folder;
    while (dirent* entry = readdir(directory)) {
        std::string name = entry->d_name;
        if (name == "." || name == "..") continue;
        session.WriteFile(name, ReadSourceFile("examples/" + name));
    }
    closedir(directory);
}

bool EndsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() &&
           text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

struct ExampleCase {
    const char* session_file;
    const char* save_file;
    std::vector<const char*> reports;
};

TEST(ExamplesScenario, EachSessionReplaysFromACopyOfTheExamples) {
    const ExampleCase cases[] = {
        {"functions.session",
         "functions.dat",
         {"functions-explicit.txt", "functions-implicit.txt"}},
        {"curves.session", "curves.dat", {"curves-polar.txt", "curves-param.txt"}},
    };
    for (const ExampleCase& example : cases) {
        Session session;
        CopyExamples(session);
        SessionResult result = session.Run(session.ReadFile(example.session_file));
        EXPECT_EQ(result.exit_status, 0) << example.session_file;
        // End of input is the end of the run: the last thing printed is the
        // save question that the session answers, and nothing waited for more.
        std::string question =
            PlatformText(Cp932("ユーザ定義関数の変更を保存しますか? Yes-->1 No-->2 \n"));
        EXPECT_TRUE(EndsWith(result.output, question)) << example.session_file;
        EXPECT_TRUE(session.Exists(example.save_file)) << example.session_file;
        for (const char* report : example.reports) {
            EXPECT_TRUE(SameText(ReadSourceFile(std::string("tests/examples/") + report),
                                 session.ReadFile(report)))
                << example.session_file << ": " << report;
        }
    }
}

// A session cut after any of its lines still ends by itself, with status 0:
// the end of the input is the end of the run, whatever question it meets.
bool Exists_RecoveryFile(const Session& session) {
    std::error_code error;
    std::filesystem::directory_iterator folder(session.Path(".kansu-state/kansu"), error);
    for (const auto& entry : folder)
        if (entry.path().filename().string().rfind("kansu-recovery-", 0) == 0) return true;
    return false;
}

TEST(ExamplesScenario, EverySessionCutShortEndsAtTheEndOfItsInput) {
    for (const char* session_file : {"functions.session", "curves.session"}) {
        std::string whole = ReadSourceFile(std::string("examples/") + session_file);
        for (std::size_t end = 0; end != std::string::npos && end < whole.size();
             end = whole.find('\n', end + 1)) {
            Session session;
            CopyExamples(session);
            SessionResult result =
                session.RunWithArguments("", whole.substr(0, end == 0 ? 0 : end + 1));
            EXPECT_EQ(result.exit_status, 0) << session_file << " cut after byte " << end;
            // Cut before the save question was answered, the unsaved functions
            // went to a recovery file, named on standard error; nothing else is.
            bool recovered = Exists_RecoveryFile(session);
            EXPECT_EQ(result.error_output.empty(), !recovered) << result.error_output;
        }
    }
}

}  // namespace
