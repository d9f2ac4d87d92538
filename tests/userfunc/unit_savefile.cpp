// The binary save file of user-defined functions: format, loading, rewriting,
// record deletion, damaged files and failing writes.
#include "cout_capture.h"
#include "session.h"

#include <pwd.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <functional>
#include <fstream>
#include <initializer_list>
#include <iostream>
#include <new>
#include <sstream>
#include <string>
#include <vector>

#include "allocation_hooks.h"
#include "files/flcopy.h"
#include "files/safefile.h"
#include "userfunc/savefile.h"
#include "userfunc/saverecord.h"
#include "userfunc/usrfunc.h"

namespace {

std::string Bytes(std::initializer_list<int> values) {
    std::string bytes;
    for (int value : values) bytes.push_back(static_cast<char>(value));
    return bytes;
}

const std::string FILE_ID = "QVRLX10";
// f(a0) = a0*2 and g(a0,a1) = a0+a1, byte for byte as the format defines them.
const std::string F_RECORD =
    Bytes({0x19, 0, 0, 0, 2, 0, 0, 0, 'f', 0, 1, 0, 8, 0, 8, 0, 5, 0, 0, 0, 'a', '0', '*', '2', 0});
const std::string G_RECORD = Bytes({0x1C, 0, 0, 0, 2, 0, 0, 0, 'g', 0,   2,   0,   8,   0,
                                    8,    0, 8, 0, 6, 0, 0, 0, 'a', '0', '+', 'a', '1', 0});

std::string Le32(unsigned long value) {
    return Bytes({int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF),
                  int((value >> 24) & 0xFF)});
}

// Files larger than limit bytes cannot be written while alive: a full disk.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t limit) {
        getrlimit(RLIMIT_FSIZE, &saved_);
        old_handler_ = signal(SIGXFSZ, SIG_IGN);
        rlimit lowered = saved_;
        lowered.rlim_cur = limit;
        setrlimit(RLIMIT_FSIZE, &lowered);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved_);
        signal(SIGXFSZ, old_handler_);
    }

private:
    rlimit saved_;
    void (*old_handler_)(int);
};

class SaveFile : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = Make_ScratchDir("kansu-save");
        g_ufunc_list.DeleteAllObject();
    }
    void TearDown() override {
        g_ufunc_list.DeleteAllObject();
        std::error_code error;
        std::filesystem::remove_all(dir_, error);
    }

    std::string Path(const std::string& name) const { return dir_ + "/" + name; }
    void Write(const std::string& name, const std::string& bytes) const {
        std::ofstream out(Path(name), std::ios::binary | std::ios::trunc);
        out << bytes;
    }
    std::string Read(const std::string& name) const { return Read_WholeFile(Path(name)); }
    bool Exists(const std::string& name) const { return std::filesystem::exists(Path(name)); }
    // Whether a working copy is left in the folder or its subfolders.
    bool WorkCopyLeft() const {
        for (const auto& entry : std::filesystem::recursive_directory_iterator(dir_))
            if (Is_WorkCopyName(entry.path().filename().string())) return true;
        return false;
    }
    // Names of the files in the folder, sorted.
    std::vector<std::string> Files() const { return Sorted_FileNames(dir_); }

    // Loads names only from a file holding the given bytes.
    void LoadNames(UsrFuncArray& registry, const std::string& bytes) {
        Write("save.dat", bytes);
        ASSERT_EQ(Create_UFunctionTable(registry, Path("save.dat").c_str(), 0), 1);
    }

    std::string dir_;
    UsrFuncArray registry_{nullptr};  // the test's own registry
};

std::vector<std::string> Names(const UsrFuncArray& registry) {
    std::vector<std::string> names;
    for (UsrFuncProp* entry = registry.FirstPnt(); entry != nullptr; entry = entry->NextPnt())
        names.push_back(entry->label);
    return names;
}

UsrFuncProp* Entry(const UsrFuncArray& registry, const std::string& name) {
    for (UsrFuncProp* entry = registry.FirstPnt(); entry != nullptr; entry = entry->NextPnt())
        if (name == entry->label) return entry;
    return nullptr;
}

// ---- File utilities ----

TEST(DelBlunkString, DropsBlanksAndStopsAtALineFeed) {
    char target[32];
    EXPECT_EQ(DelBlunk_String(target, " a0 *\t2\r\v\f", 32), 1);
    EXPECT_STREQ(target, "a0*2");
    EXPECT_EQ(DelBlunk_String(target, "a0+\n1", 32), 1);
    EXPECT_STREQ(target, "a0+");
    EXPECT_EQ(DelBlunk_String(target, " \t\r", 32), 0);
    EXPECT_STREQ(target, "");
    EXPECT_EQ(DelBlunk_String(target, "\nabc", 32), 0);
    EXPECT_STREQ(target, "");
}

TEST(DelBlunkString, KeepsAtMostSizeMinusOneCharacters) {
    char target[8] = "zzzzzzz";
    EXPECT_EQ(DelBlunk_String(target, "a b c d e f", 4), 1);
    EXPECT_STREQ(target, "abc");
    EXPECT_EQ(DelBlunk_String(target, "abc", 1), 0);
    EXPECT_STREQ(target, "");
    target[0] = 'q';
    EXPECT_EQ(DelBlunk_String(target, "abc", 0), 0);
    EXPECT_EQ(target[0], 'q');  // nothing written without room for the terminator
}

TEST_F(SaveFile, AllFileCopyCopiesEveryByte) {
    std::string content = FILE_ID + F_RECORD + std::string(5000, '\0') + "end";
    Write("a.dat", content);
    EXPECT_EQ(AllFile_Copy(Path("a.dat").c_str(), Path("b.dat").c_str()), 1);
    EXPECT_EQ(Read("b.dat"), content);
    Write("empty.dat", "");
    Write("c.dat", "old content");
    EXPECT_EQ(AllFile_Copy(Path("empty.dat").c_str(), Path("c.dat").c_str()), 1);
    EXPECT_EQ(Read("c.dat"), "");
}

TEST_F(SaveFile, AllFileCopyFailures) {
    Write("a.dat", "abc");
    EXPECT_EQ(AllFile_Copy(Path("missing.dat").c_str(), Path("b.dat").c_str()), 0);
    EXPECT_FALSE(Exists("b.dat"));
    EXPECT_EQ(AllFile_Copy(Path("a.dat").c_str(), Path("no-dir/b.dat").c_str()), 0);
    if (std::filesystem::exists("/dev/full")) {
        EXPECT_EQ(AllFile_Copy(Path("a.dat").c_str(), "/dev/full"), 0);
    }
}

TEST_F(SaveFile, CopyPartFileCopiesARange) {
    Write("a.dat", "0123456789");
    std::ifstream in(Path("a.dat"), std::ios::binary);
    std::ofstream out(Path("b.dat"), std::ios::binary);
    EXPECT_EQ(Copy_PartFile(in, out, 2, 5), 1);
    EXPECT_EQ(Copy_PartFile(in, out, 7, 7), 1);
    EXPECT_EQ(Copy_PartFile(in, out, 8, 12), 0);  // the input ends after two bytes
    out.close();
    EXPECT_EQ(Read("b.dat"), "23489");
}

TEST_F(SaveFile, CopyPartFileRefusesUnusableStreams) {
    Write("a.dat", "0123456789");
    std::ifstream in(Path("a.dat"), std::ios::binary);
    std::ofstream closed;
    EXPECT_EQ(Copy_PartFile(in, closed, 0, 3), -1);
    std::ifstream missing(Path("missing.dat"), std::ios::binary);
    std::ofstream out(Path("b.dat"), std::ios::binary);
    EXPECT_EQ(Copy_PartFile(missing, out, 0, 3), -1);
}

TEST_F(SaveFile, CopyPartFileReportsARefusedWrite) {
    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    Write("a.dat", "0123456789");
    std::ifstream in(Path("a.dat"), std::ios::binary);
    std::ofstream full("/dev/full", std::ios::binary);
    ASSERT_TRUE(full.good());
    EXPECT_EQ(Copy_PartFile(in, full, 0, 10), 0);
}

TEST_F(SaveFile, CheckFileID) {
    Write("good.dat", FILE_ID);
    Write("short.dat", "QVRLX1");
    Write("other.dat", "QVRLX11 and more");
    EXPECT_EQ(Check_FileID(Path("good.dat").c_str()), 1);
    EXPECT_EQ(Check_FileID(Path("short.dat").c_str()), LOAD_NOT_SAVE_FILE);
    EXPECT_EQ(Check_FileID(Path("other.dat").c_str()), LOAD_NOT_SAVE_FILE);
    EXPECT_EQ(Check_FileID(Path("missing.dat").c_str()), LOAD_UNREADABLE);
}

// ---- Loading ----

TEST_F(SaveFile, LoadingNamesGivesUndefinedUnchangedEntriesWithTheirPositions) {
    LoadNames(registry_, FILE_ID + F_RECORD + G_RECORD);
    EXPECT_EQ(Names(registry_), (std::vector<std::string>{"f", "g"}));
    UsrFuncProp* f = Entry(registry_, "f");
    UsrFuncProp* g = Entry(registry_, "g");
    EXPECT_EQ(f->filePos, 7);
    EXPECT_EQ(g->filePos, 32);
    EXPECT_EQ(f->argNum, 1);
    EXPECT_EQ(g->argNum, 2);
    EXPECT_EQ(g->rtvKind, 8);
    EXPECT_EQ(f->chngFlag, 0);
    EXPECT_EQ(registry_("f"), 1);
    EXPECT_EQ(registry_("g"), 1);
    EXPECT_EQ(registry_.GetChangeFlag(), 0);
    EXPECT_EQ(registry_.ElementSaveNum(), 2);
    EXPECT_EQ(std::string(registry_.GetSourceFile()), Path("save.dat"));
}

TEST_F(SaveFile, ARefusedLoadKeepsTheRegistry) {
    UsrFuncArray registry("old.dat");
    registry.AddUFncElem("k", -1, 1, 8, "a0*2");
    Write("text.txt", "QVRLX1O" + F_RECORD);
    std::filesystem::create_directory(Path("folder"));
    mkfifo(Path("fifo").c_str(), 0600);
    // Its names fit in memory, its long definition does not.
    std::ostringstream long_record;
    std::string sum = "a0";
    for (int term = 1; term < 80; ++term) sum += "+a0";
    Write_Record(long_record, "h", 1, 8, sum.c_str());
    Write("long.dat", FILE_ID + F_RECORD + long_record.str());
    const struct {
        const char* name;
        int status;
    } refusals[] = {{"text.txt", LOAD_NOT_SAVE_FILE},
                    {"missing.dat", LOAD_UNREADABLE},
                    {"folder", SAVE_NOT_REGULAR},
                    {"fifo", SAVE_NOT_REGULAR},
                    {"long.dat", SAVE_NO_MEMORY}};
    for (const auto& refusal : refusals) {
        // The scratch items of the long definition's analysis, nothing a load's names need.
        g_fail_arrays_from = refusal.status == SAVE_NO_MEMORY ? 40 * sizeof(CompForm) : 0;
        int status = Create_UFunctionTable(registry, Path(refusal.name).c_str(), 1);
        g_fail_arrays_from = 0;
        EXPECT_EQ(status, refusal.status) << refusal.name;
        EXPECT_EQ(Names(registry), std::vector<std::string>{"k"}) << refusal.name;
        EXPECT_EQ(registry.GetChangeFlag(), 1) << refusal.name;
        EXPECT_STREQ(registry.GetSourceFile(), "old.dat") << refusal.name;
    }
}

TEST_F(SaveFile, ReloadingTheRegistrysOwnSourceFile) {
    LoadNames(registry_, FILE_ID + F_RECORD + G_RECORD);
    EXPECT_EQ(Create_UFunctionTable(registry_, registry_.GetSourceFile(), 0), 1);
    EXPECT_EQ(Names(registry_), (std::vector<std::string>{"f", "g"}));
    EXPECT_EQ(std::string(registry_.GetSourceFile()), Path("save.dat"));
}

TEST_F(SaveFile, AnEmptySaveFileLoadsNothing) {
    LoadNames(registry_, FILE_ID);
    EXPECT_EQ(registry_.FirstPnt(), nullptr);
    EXPECT_EQ(std::string(registry_.GetSourceFile()), Path("save.dat"));
}

struct DamagedFile {
    const char* what;
    std::string tail;  // the bytes after f's record
};

// Each damaged record ends the load: f, read before it, stays registered.
TEST_F(SaveFile, DamagedRecordsEndTheLoadWithWhatWasRead) {
    std::string g_body = G_RECORD.substr(4);
    std::vector<DamagedFile> cases = {
        {"record length 0", Le32(0) + g_body},
        {"record length 4", Le32(4) + g_body},
        {"record length past the end", Le32(29) + g_body},
        {"record length 0xFFFFFFFF", Le32(0xFFFFFFFFUL) + g_body},
        {"record length one more than its fields", Le32(29) + g_body + "x"},
        {"name length 0xFFFFFFFF", Le32(28) + Le32(0xFFFFFFFFUL) + G_RECORD.substr(8)},
        {"name length 0", Le32(28) + Le32(0) + G_RECORD.substr(8)},
        {"empty name", Le32(27) + Le32(1) + std::string(1, '\0') + G_RECORD.substr(10)},
        {"name without its NUL", Le32(28) + Le32(2) + "gh" + G_RECORD.substr(10)},
        {"argument count 0xFFFF",
         G_RECORD.substr(0, 10) + Bytes({0xFF, 0xFF}) + G_RECORD.substr(12)},
        {"definition length 0xFFFFFFFF", G_RECORD.substr(0, 18) + Le32(0xFFFFFFFFUL) + "a0+a1"},
        {"definition without its NUL", G_RECORD.substr(0, 27) + "x"},
        {"definition with a NUL inside", G_RECORD.substr(0, 24) + Bytes({0, 'a', '1', 0})},
        {"truncated last record", G_RECORD.substr(0, 20)},
        {"three bytes of a record length", Bytes({0x1C, 0, 0})},
        {"garbage", "hello, this is not a record at all"},
    };
    for (const DamagedFile& damaged : cases) {
        for (int read_form : {0, 1}) {
            SCOPED_TRACE(std::string(damaged.what) + (read_form == 1 ? ", all" : ", names"));
            UsrFuncArray registry(nullptr);
            Write("save.dat", FILE_ID + F_RECORD + damaged.tail);
            CoutCapture capture;
            EXPECT_EQ(Create_UFunctionTable(registry, Path("save.dat").c_str(), read_form), 1);
            EXPECT_EQ(Names(registry), std::vector<std::string>{"f"});
            EXPECT_EQ(registry.AccFilePos("f"), 7);
        }
    }
}

TEST_F(SaveFile, GarbageRightAfterTheIdentifierLoadsNothing) {
    for (const std::string& tail : {std::string("\xff\xff\xff\xff garbage"), Le32(0),
                                    std::string(3, '\x01'), Le32(12) + std::string(8, 'x')}) {
        UsrFuncArray registry(nullptr);
        Write("save.dat", FILE_ID + tail);
        EXPECT_EQ(Create_UFunctionTable(registry, Path("save.dat").c_str(), 0), 1);
        EXPECT_EQ(registry.FirstPnt(), nullptr);
    }
}

TEST_F(SaveFile, ReadSavedRecordGivesEveryField) {
    Write("save.dat", FILE_ID + G_RECORD);
    std::ifstream in(Path("save.dat"), std::ios::binary);
    long file_end = Find_FileEnd(in);
    EXPECT_EQ(file_end, 35);
    in.seekg(7);
    SavedRecord record;
    ASSERT_EQ(Read_SavedRecord(in, file_end, &record), 1);
    EXPECT_EQ(record.position, 7);
    EXPECT_EQ(record.recd_length, 28u);
    EXPECT_EQ(record.name, "g");
    EXPECT_EQ(record.arg_num, 2);
    EXPECT_EQ(record.ret_kind, 8);
    EXPECT_EQ(record.arg_kinds, (std::vector<unsigned short>{8, 8}));
    EXPECT_EQ(record.definition, "a0+a1");
    EXPECT_EQ(Bytes_Left(in, file_end), 0);
    EXPECT_EQ(Read_SavedRecord(in, file_end, &record), 0);
}

TEST_F(SaveFile, FieldReadersStopAtTheGivenEnd) {
    Write("data.bin", Bytes({0x34, 0x12, 0x78, 0x56, 0x34, 0x12, 'a', 'b', 0}));
    std::ifstream in(Path("data.bin"), std::ios::binary);
    unsigned short small = 0;
    unsigned long wide = 0;
    std::string text;
    EXPECT_EQ(Read_UInt16(in, 9, &small), 1);
    EXPECT_EQ(small, 0x1234);
    EXPECT_EQ(Read_UInt32(in, 5, &wide), 0);  // only three bytes before the end given
    in.clear();
    in.seekg(2);
    EXPECT_EQ(Read_UInt32(in, 9, &wide), 1);
    EXPECT_EQ(wide, 0x12345678UL);
    EXPECT_EQ(Read_TextField(in, 9, 4, &text), 0);
    in.clear();
    in.seekg(6);
    EXPECT_EQ(Read_TextField(in, 9, 3, &text), 1);
    EXPECT_EQ(text, "ab");
    unsigned long length = 0;
    EXPECT_EQ(Read_RecordLength(in, 9, 0, &length), 0);  // 0x78561234 is past the end
}

// ---- Loading one definition ----

TEST_F(SaveFile, SetFuncDefFrmFileRefusals) {
    registry_.AddUFncElem("f", 7, 1, 8, nullptr);
    EXPECT_EQ(registry_.SetFuncDefFrmFile("f"), DEFINITION_NO_SOURCE);

    LoadNames(registry_, FILE_ID + F_RECORD + G_RECORD);
    EXPECT_EQ(registry_.SetFuncDefFrmFile("h"), DEFINITION_NO_RECORD);
    registry_.AddUFncElem("k", -1, 1, 8, nullptr);  // registered, never saved
    EXPECT_EQ(registry_.SetFuncDefFrmFile("k"), DEFINITION_NO_RECORD);

    std::filesystem::remove(Path("save.dat"));
    EXPECT_EQ(registry_.SetFuncDefFrmFile("f"), DEFINITION_UNREADABLE);
}

TEST_F(SaveFile, SetFuncDefFrmFileOfAnEmptyDefinitionGivesZeroAndADamagedRecordIsReported) {
    std::string empty_def = Bytes({0x13, 0, 0, 0, 2, 0, 0, 0, 'e', 0, 0, 0, 8, 0, 1, 0, 0, 0, 0});
    std::string blank_def =
        Bytes({0x15, 0, 0, 0, 2, 0, 0, 0, 'h', 0, 0, 0, 8, 0, 3, 0, 0, 0, ' ', '\t', 0});
    LoadNames(registry_, FILE_ID + empty_def + F_RECORD + blank_def);
    EXPECT_EQ(Names(registry_), (std::vector<std::string>{"e", "f", "h"}));
    EXPECT_EQ(registry_.SetFuncDefFrmFile("e"), DEFINITION_EMPTY);
    EXPECT_EQ(registry_.SetFuncDefFrmFile("h"), DEFINITION_EMPTY);
    EXPECT_EQ(registry_("e"), 1);

    // The file changed behind the registry's back: f's definition length is now huge.
    std::string broken = F_RECORD.substr(0, 16) + Le32(0xFFFFFFFFUL) + "a0*2";
    Write("save.dat", FILE_ID + empty_def + broken);
    EXPECT_EQ(registry_.SetFuncDefFrmFile("f"), DEFINITION_RECORD_DAMAGED);
    // ... and now it ends inside f's name.
    Write("save.dat", FILE_ID + empty_def + F_RECORD.substr(0, 9));
    EXPECT_EQ(registry_.SetFuncDefFrmFile("f"), DEFINITION_RECORD_DAMAGED);
    EXPECT_EQ(registry_.SetFuncDefFrmFile("h"), DEFINITION_RECORD_DAMAGED);
}

// Another run saved the file after this registry read it (e's record now lies
// where f's was): records are found by name in the file as it is now.
struct StaleCase {
    const char* what;
    std::string loaded;  // the file as this registry read it
    std::string now;     // the file as the other run left it
    std::function<int(UsrFuncArray&)> step;
    int expected;
    std::string after;  // the file after the step
};

TEST_F(SaveFile, RecordsAreFoundByNameInTheFileAsItIsNow) {
    std::string e_record = F_RECORD;
    e_record[8] = 'e';
    std::string z_record = F_RECORD;
    z_record[8] = 'z';
    const std::string h_record =
        Bytes({20, 0, 0, 0, 2, 0, 0, 0, 'h', 0, 0, 0, 8, 0, 2, 0, 0, 0, '1', 0});
    const std::string moved = FILE_ID + e_record + F_RECORD + G_RECORD;
    auto save = [](UsrFuncArray& registry) {
        registry.AddUFncElem("h", -1, 0, 8, "1");
        return SaveDate_ToFileEx(registry);
    };
    auto set_f = [](UsrFuncArray& registry) { return registry.SetFuncDefFrmFile("f"); };
    auto delete_f = [](UsrFuncArray& registry) { return registry.DelUFncElem("f"); };
    std::vector<StaleCase> cases = {
        {"save", FILE_ID + F_RECORD + G_RECORD, moved, save, 1, moved + h_record},
        {"definition", FILE_ID + F_RECORD + G_RECORD, moved, set_f, 1, moved},
        {"deletion", FILE_ID + F_RECORD + G_RECORD, moved, delete_f, 1,
         FILE_ID + e_record + G_RECORD},
        {"deletion of the only record", FILE_ID + F_RECORD, FILE_ID + e_record + F_RECORD, delete_f,
         1, FILE_ID + e_record},
        {"deletion of the first of two", FILE_ID + F_RECORD, FILE_ID + F_RECORD + z_record,
         delete_f, 1, FILE_ID + z_record},
    };
    for (const StaleCase& stale : cases) {
        SCOPED_TRACE(stale.what);
        UsrFuncArray registry(nullptr);
        LoadNames(registry, stale.loaded);
        Write("save.dat", stale.now);
        CoutCapture capture;
        EXPECT_EQ(stale.step(registry), stale.expected);
        EXPECT_EQ(Read("save.dat"), stale.after);
        EXPECT_FALSE(WorkCopyLeft());
    }
}

// ---- Deleting a function and its record ----

// Of f and g saved (and a enrolled, never saved): a deleted record goes and
// the one after it moves down; a function without a record leaves the file.
TEST_F(SaveFile, DeletingAFunctionDeletesItsRecordAlone) {
    const struct {
        const char* name;
        int done;
        std::string left;
        const char* other;
        long other_at;
    } cases[] = {{"f", 1, FILE_ID + G_RECORD, "g", 7},
                 {"g", 1, FILE_ID + F_RECORD, "f", 7},
                 {"a", 1, FILE_ID + F_RECORD + G_RECORD, "g", 32},
                 {"zz", DELETE_NOT_REGISTERED, FILE_ID + F_RECORD + G_RECORD, "g", 32}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        UsrFuncArray registry(nullptr);
        LoadNames(registry, FILE_ID + F_RECORD + G_RECORD);
        registry.AddUFncElem("a", -1, 1, 8, nullptr);
        EXPECT_EQ(registry.DelUFncElem(c.name), c.done);
        EXPECT_EQ(Read("save.dat"), c.left);
        EXPECT_EQ(registry.AccFilePos(c.other), c.other_at);
        EXPECT_EQ(registry.GetChangeFlag(), 0);
        EXPECT_FALSE(WorkCopyLeft());
    }
}

TEST_F(SaveFile, DeletingTheOnlySavedFunctionDeletesTheFile) {
    LoadNames(registry_, FILE_ID + F_RECORD);
    registry_.AddUFncElem("k", -1, 1, 8, nullptr);
    EXPECT_EQ(registry_.DelUFncElem("f"), 1);
    EXPECT_FALSE(Exists("save.dat"));
    EXPECT_EQ(registry_.GetSourceFile(), nullptr);
    EXPECT_EQ(Names(registry_), std::vector<std::string>{"k"});
}

TEST_F(SaveFile, DeletingTheOnlySavedFunctionWhenTheFileCannotBeDeleted) {
    LoadNames(registry_, FILE_ID + F_RECORD);
    std::filesystem::remove(Path("save.dat"));
    EXPECT_EQ(registry_.DelUFncElem("f"), DELETE_FILE_NOT_REMOVED);
    EXPECT_EQ(registry_.GetSourceFile(), nullptr);
    EXPECT_EQ(registry_.FirstPnt(), nullptr);
}

TEST_F(SaveFile, DeletionWithoutWorkingCopyKeepsTheFile) {
    LoadNames(registry_, FILE_ID + F_RECORD + G_RECORD);
    unsigned long length = 0;
    {
        FileSizeLimit full_disk(20);  // the copy cannot be written
        EXPECT_EQ(DeleteRecord_FrmFile(Path("save.dat").c_str(), 7, &length),
                  SAVE_WORK_COPY_FAILED);
        EXPECT_EQ(registry_.DelUFncElem("f"), DELETE_RECORD_KEPT);
    }
    EXPECT_FALSE(WorkCopyLeft());
    EXPECT_EQ(Read("save.dat"), FILE_ID + F_RECORD + G_RECORD);
    EXPECT_EQ(Names(registry_), std::vector<std::string>{"g"});
    EXPECT_EQ(registry_.AccFilePos("g"), 32);  // still where the file holds it
}

TEST_F(SaveFile, DeletionOfADamagedRecordRestoresTheFile) {
    std::string content = FILE_ID + F_RECORD + Le32(0xFFFFFFFFUL) + G_RECORD.substr(4);
    Write("save.dat", content);
    unsigned long length = 0;
    EXPECT_EQ(DeleteRecord_FrmFile(Path("save.dat").c_str(), 32, &length), DELETE_RECORD_KEPT);
    EXPECT_EQ(Read("save.dat"), content);
    EXPECT_FALSE(WorkCopyLeft());
    EXPECT_EQ(DeleteRecord_FrmFile(Path("save.dat").c_str(), 500, &length), DELETE_RECORD_KEPT);
    EXPECT_EQ(DeleteRecord_FrmFile(Path("save.dat").c_str(), 3, &length), DELETE_RECORD_KEPT);
    // Nor does deleting f by name rewrite a file that holds a damaged record.
    CoutCapture capture;
    ASSERT_EQ(Create_UFunctionTable(registry_, Path("save.dat").c_str(), 0), 1);
    EXPECT_EQ(registry_.DelUFncElem("f"), DELETE_RECORD_KEPT);
    EXPECT_EQ(Read("save.dat"), content);
    EXPECT_FALSE(WorkCopyLeft());
}

// "template.dat" is an ordinary file: it may be the save file, and a file or a
// link of that name beside a save file is never touched.
TEST_F(SaveFile, AFileNamedTemplateDatIsOrdinary) {
    Write("template.dat", FILE_ID + F_RECORD + G_RECORD);
    unsigned long length = 0;
    EXPECT_EQ(DeleteRecord_FrmFile(Path("template.dat").c_str(), 7, &length), 1);
    EXPECT_EQ(Read("template.dat"), FILE_ID + G_RECORD);
    ASSERT_EQ(Create_UFunctionTable(registry_, Path("template.dat").c_str(), 0), 1);
    registry_.AddUFncElem("f", -1, 1, 8, "a0*2");
    EXPECT_EQ(SaveDate_ToFileEx(registry_), 1);
    EXPECT_EQ(Read("template.dat"), FILE_ID + F_RECORD + G_RECORD);

    std::filesystem::create_directory(Path("sub"));
    Write("target.txt", "another user's file");
    chmod(Path("target.txt").c_str(), 0640);
    std::filesystem::create_symlink("../target.txt", Path("sub/template.dat"));
    Write("sub/save.dat", FILE_ID + F_RECORD + G_RECORD);
    UsrFuncArray linked(nullptr);
    ASSERT_EQ(Create_UFunctionTable(linked, Path("sub/save.dat").c_str(), 0), 1);
    linked.AddUFncElem("f", -1, 1, 8, "a0*2");
    EXPECT_EQ(SaveDate_ToFileEx(linked), 1);
    EXPECT_EQ(linked.DelUFncElem("g"), 1);
    EXPECT_EQ(Read("sub/save.dat"), FILE_ID + F_RECORD);
    EXPECT_EQ(Read("template.dat"), FILE_ID + F_RECORD + G_RECORD);
    EXPECT_EQ(Read("target.txt"), "another user's file");
    struct stat target;
    ASSERT_EQ(stat(Path("target.txt").c_str(), &target), 0);
    EXPECT_EQ(target.st_mode & 07777, 0640u);
    EXPECT_FALSE(WorkCopyLeft());
}

TEST_F(SaveFile, AWorkingCopyOfABareFileNameIsMadeInTheCurrentDirectory) {
    std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(dir_);
    Write("save.dat", FILE_ID + F_RECORD + G_RECORD);
    unsigned long length = 0;
    int done = DeleteRecord_FrmFile("save.dat", 7, &length);
    std::filesystem::current_path(previous);
    EXPECT_EQ(done, 1);
    EXPECT_EQ(length, 25u);
    EXPECT_EQ(Read("save.dat"), FILE_ID + G_RECORD);
    EXPECT_FALSE(WorkCopyLeft());
}

// ---- Rewriting the source file ----

TEST_F(SaveFile, RewriteOfUnchangedEntriesCopiesTheirRecords) {
    LoadNames(registry_, FILE_ID + F_RECORD + G_RECORD);
    EXPECT_EQ(SaveDate_ToFileEx(registry_), 1);
    EXPECT_EQ(Read("save.dat"), FILE_ID + F_RECORD + G_RECORD);
    EXPECT_EQ(registry_.AccFilePos("f"), 7);
    EXPECT_EQ(registry_.AccFilePos("g"), 32);
    EXPECT_FALSE(WorkCopyLeft());
}

TEST_F(SaveFile, RewriteDropsRecordsOfFunctionsNoLongerRegistered) {
    LoadNames(registry_, FILE_ID + F_RECORD + G_RECORD);
    long position = 0;
    int state = 0;
    registry_.DelUFncElement("f", &position, &state);  // from memory only
    EXPECT_EQ(SaveDate_ToFileEx(registry_), 1);
    EXPECT_EQ(Read("save.dat"), FILE_ID + G_RECORD);
    EXPECT_EQ(registry_.AccFilePos("g"), 7);
}

TEST_F(SaveFile, RewriteKeepsTheRecordOfAChangedEntryWithoutDefinition) {
    LoadNames(registry_, FILE_ID + F_RECORD + G_RECORD);
    UsrFuncProp* f = Entry(registry_, "f");
    f->chngFlag = 1;  // as after a stored definition failed to analyse
    ASSERT_EQ(f->funcDef, nullptr);
    EXPECT_EQ(SaveDate_ToFileEx(registry_), 1);
    EXPECT_EQ(Read("save.dat"), FILE_ID + F_RECORD + G_RECORD);
    EXPECT_EQ(f->filePos, 7);
    EXPECT_EQ(registry_.GetChangeFlag(), 0);
}

TEST_F(SaveFile, RewriteWithoutUsableSourceFile) {
    registry_.AddUFncElem("f", -1, 1, 8, nullptr);
    EXPECT_EQ(SaveDate_ToFileEx(registry_), 0);
    LoadNames(registry_, FILE_ID + F_RECORD);
    Write("save.dat", "not a save file");
    EXPECT_EQ(SaveDate_ToFileEx(registry_), 0);
    EXPECT_EQ(Read("save.dat"), "not a save file");
}

TEST_F(SaveFile, RewriteMeetingADamagedRecordFailsAndRestoresTheFile) {
    LoadNames(registry_, FILE_ID + F_RECORD + G_RECORD);
    Entry(registry_, "f")->chngFlag = 1;
    // Changed on disk after loading: g's record length now runs past the end.
    std::string damaged = FILE_ID + F_RECORD + Le32(0xFFFF) + G_RECORD.substr(4);
    Write("save.dat", damaged);
    EXPECT_EQ(SaveDate_ToFileEx(registry_), SAVE_FILE_DAMAGED);
    EXPECT_EQ(Read("save.dat"), damaged);
    EXPECT_FALSE(WorkCopyLeft());
    EXPECT_EQ(registry_.AccFilePos("f"), 7);
    EXPECT_EQ(registry_.AccFilePos("g"), 32);
    EXPECT_EQ(Entry(registry_, "f")->chngFlag, 1);
}

// ---- A new save file ----

TEST_F(SaveFile, NewFileWithoutDefinedFunctionsHoldsOnlyTheIdentifier) {
    registry_.AddUFncElem("f", 40, 1, 8, nullptr);
    EXPECT_EQ(SaveDate_ToFileNew(registry_, Path("new.dat").c_str()), 1);
    EXPECT_EQ(Read("new.dat"), FILE_ID);
    EXPECT_EQ(registry_.AccFilePos("f"), -1);
    EXPECT_EQ(std::string(registry_.GetSourceFile()), Path("new.dat"));
}

TEST_F(SaveFile, NewFileThatCannotBeCreated) {
    registry_.AddUFncElem("f", 40, 1, 8, nullptr);
    EXPECT_EQ(SaveDate_ToFileNew(registry_, Path("no-dir/new.dat").c_str()), -5);
    EXPECT_EQ(registry_.GetSourceFile(), nullptr);
    EXPECT_EQ(registry_.AccFilePos("f"), 40);
}

// The first save never replaces: a device, or a file that appeared, stays as it is.
TEST_F(SaveFile, ANewFileNeverReplacesWhatIsAtItsPath) {
    registry_.AddUFncElem("f", 40, 1, 8, "a0*2");
    Write("taken.dat", "hello");
    std::filesystem::create_symlink("nowhere.dat", Path("dangling.dat"));
    for (const std::string& path :
         {std::string("/dev/full"), Path("taken.dat"), Path("dangling.dat")}) {
        SCOPED_TRACE(path);
        EXPECT_EQ(SaveDate_ToFileNew(registry_, path.c_str()), -9);
        EXPECT_EQ(registry_.GetSourceFile(), nullptr);
        EXPECT_EQ(registry_.AccFilePos("f"), 40);
        EXPECT_EQ(registry_.GetChangeFlag(), 1);
    }
    EXPECT_EQ(Read("taken.dat"), "hello");
    EXPECT_FALSE(Exists("nowhere.dat"));
    EXPECT_FALSE(WorkCopyLeft());
}

// ---- Saving defined functions ----

// fa(a0) = a0 and g(a0,a1) = a1*a0, worked out by hand from the format.
const std::string FA_RECORD =
    Bytes({0x18, 0, 0, 0, 3, 0, 0, 0, 'f', 'a', 0, 1, 0, 8, 0, 8, 0, 3, 0, 0, 0, 'a', '0', 0});
const std::string G2_RECORD = Bytes({0x1C, 0, 0, 0, 2, 0, 0, 0, 'g', 0,   2,   0,   8,   0,
                                     8,    0, 8, 0, 6, 0, 0, 0, 'a', '1', '*', 'a', '0', 0});

TEST_F(SaveFile, OneFunctionMakesA32ByteFile) {
    registry_.AddUFncElem("f", -1, 1, 8, "a0*2");
    EXPECT_EQ(SaveDate_ToFileNew(registry_, Path("new.dat").c_str()), 1);
    EXPECT_EQ(Read("new.dat"), FILE_ID + F_RECORD);
    EXPECT_EQ(registry_.AccFilePos("f"), 7);
    EXPECT_EQ(registry_.GetChangeFlag(), 0);
    EXPECT_EQ(std::string(registry_.GetSourceFile()), Path("new.dat"));
}

TEST_F(SaveFile, TwoFunctionsMakeA60ByteFileAndDeletingFLeaves35) {
    registry_.AddUFncElem("g", -1, 2, 8, "a0+a1");
    registry_.AddUFncElem("f", -1, 1, 8, "a0*2");
    registry_.AddUFncElem("u", -1, 1, 8, "a0+");  // undefined: no record
    CoutCapture capture;
    EXPECT_EQ(SaveDate_ToFileNew(registry_, Path("new.dat").c_str()), 1);
    EXPECT_EQ(Read("new.dat"), FILE_ID + F_RECORD + G_RECORD);
    EXPECT_EQ(registry_.AccFilePos("f"), 7);
    EXPECT_EQ(registry_.AccFilePos("g"), 32);
    EXPECT_EQ(registry_.AccFilePos("u"), -1);
    EXPECT_EQ(Entry(registry_, "u")->chngFlag, 1);

    EXPECT_EQ(registry_.DelUFncElem("f"), 1);
    EXPECT_EQ(Read("new.dat"), FILE_ID + G_RECORD);
    EXPECT_EQ(registry_.AccFilePos("g"), 7);
    EXPECT_FALSE(WorkCopyLeft());
}

TEST_F(SaveFile, DeletingTheOnlySavedFunctionLeavesNoSourceFileForTheNextSave) {
    registry_.AddUFncElem("f", -1, 1, 8, "a0*2");
    ASSERT_EQ(SaveDate_ToFileNew(registry_, Path("new.dat").c_str()), 1);
    registry_.AddUFncElem("g", -1, 2, 8, "a0+a1");
    EXPECT_EQ(registry_.DelUFncElem("f"), 1);
    EXPECT_FALSE(Exists("new.dat"));
    EXPECT_EQ(registry_.GetSourceFile(), nullptr);
    EXPECT_EQ(SaveDate_ToFileEx(registry_), 0);  // a new path is needed
    EXPECT_EQ(SaveDate_ToFileNew(registry_, Path("other.dat").c_str()), 1);
    EXPECT_EQ(Read("other.dat"), FILE_ID + G_RECORD);
}

TEST_F(SaveFile, LoadingAllDefinesAndMarksEveryFunction) {
    Write("save.dat", FILE_ID + F_RECORD + G_RECORD);
    ASSERT_EQ(Create_UFunctionTable(registry_, Path("save.dat").c_str(), 1), 1);
    EXPECT_EQ(registry_("f"), 2);
    EXPECT_EQ(registry_("g"), 2);
    EXPECT_EQ(Entry(registry_, "f")->chngFlag, 1);
    EXPECT_EQ(Entry(registry_, "g")->chngFlag, 1);
    EXPECT_EQ(registry_.AccFilePos("g"), 32);
    // Written back from memory, the records come out as they were read.
    EXPECT_EQ(SaveDate_ToFileEx(registry_), 1);
    EXPECT_EQ(Read("save.dat"), FILE_ID + F_RECORD + G_RECORD);
    EXPECT_EQ(registry_.GetChangeFlag(), 0);
}

TEST_F(SaveFile, LoadingAllLeavesACallOfALaterFunctionUndefined) {
    // f(a0) = g(a0)+1 is stored before g(a0) = a0*2.
    std::string f_calls_g = Bytes({0x1C, 0, 0, 0, 2, 0, 0,   0,   'f', 0,   1,   0,   8,   0,
                                   8,    0, 8, 0, 0, 0, 'g', '(', 'a', '0', ')', '+', '1', 0});
    std::string g_record = Bytes(
        {0x19, 0, 0, 0, 2, 0, 0, 0, 'g', 0, 1, 0, 8, 0, 8, 0, 5, 0, 0, 0, 'a', '0', '*', '2', 0});
    Write("save.dat", FILE_ID + f_calls_g + g_record);
    CoutCapture capture;
    ASSERT_EQ(Create_UFunctionTable(g_ufunc_list, Path("save.dat").c_str(), 1), 1);
    EXPECT_EQ(g_ufunc_list("f"), 1);
    EXPECT_EQ(g_ufunc_list("g"), 2);
    EXPECT_EQ(Entry(g_ufunc_list, "f")->chngFlag, 1);
    EXPECT_EQ(g_ufunc_list.AccFilePos("g"), 35);
    EXPECT_FALSE(capture.Text().empty());

    // Now g is defined, f's stored definition can be set.
    EXPECT_EQ(g_ufunc_list.SetFuncDefFrmFile("f"), SAVE_DONE);
    EXPECT_EQ(g_ufunc_list("f"), 2);

    // A rewrite in between keeps f's record although f had no definition.
    Create_UFunctionTable(g_ufunc_list, Path("save.dat").c_str(), 1);
    EXPECT_EQ(SaveDate_ToFileEx(g_ufunc_list), 1);
    EXPECT_EQ(Read("save.dat"), FILE_ID + f_calls_g + g_record);
    EXPECT_EQ(g_ufunc_list.AccFilePos("f"), 7);
    EXPECT_EQ(g_ufunc_list.AccFilePos("g"), 35);
}

TEST_F(SaveFile, SetFuncDefFrmFileDefinesAFunctionLoadedByName) {
    LoadNames(registry_, FILE_ID + F_RECORD + G_RECORD);
    EXPECT_EQ(registry_.SetFuncDefFrmFile("g"), SAVE_DONE);
    EXPECT_EQ(registry_("g"), 2);
    EXPECT_EQ(registry_("f"), 1);
    EXPECT_EQ(Entry(registry_, "g")->chngFlag, 1);
    EXPECT_EQ(registry_.PutArgNum("g"), 2);
}

TEST_F(SaveFile, ARewriteAfterChangingOnlyGCopiesFByteForByte) {
    // f's argument kind reads 7 here: a record written anew would say 8.
    std::string f_kind7 = F_RECORD;
    f_kind7[14] = 7;
    LoadNames(registry_, FILE_ID + f_kind7 + G_RECORD);
    registry_.AddUFncElem("g", registry_.AccFilePos("g"), 2, 8, "a1*a0");
    EXPECT_EQ(SaveDate_ToFileEx(registry_), 1);
    EXPECT_EQ(Read("save.dat"), FILE_ID + f_kind7 + G2_RECORD);
    EXPECT_EQ(registry_.AccFilePos("f"), 7);
    EXPECT_EQ(registry_.AccFilePos("g"), 32);
    EXPECT_EQ(registry_.GetChangeFlag(), 0);
    EXPECT_FALSE(WorkCopyLeft());
}

TEST_F(SaveFile, ARewriteGivesEveryRecordItsNewPosition) {
    LoadNames(registry_, FILE_ID + F_RECORD + G_RECORD);
    registry_.AddUFncElem("fa", -1, 1, 8, "a0");
    EXPECT_EQ(SaveDate_ToFileEx(registry_), 1);
    EXPECT_EQ(Read("save.dat"), FILE_ID + F_RECORD + FA_RECORD + G_RECORD);
    EXPECT_EQ(registry_.AccFilePos("f"), 7);
    EXPECT_EQ(registry_.AccFilePos("fa"), 32);
    EXPECT_EQ(registry_.AccFilePos("g"), 56);
    // Deleting fa moves g down by fa's 24 bytes.
    EXPECT_EQ(registry_.DelUFncElem("fa"), 1);
    EXPECT_EQ(Read("save.dat"), FILE_ID + F_RECORD + G_RECORD);
    EXPECT_EQ(registry_.AccFilePos("g"), 32);
}

// ---- Failing writes ----

TEST_F(SaveFile, ARewriteOnAFullDiskRestoresTheFileAndKeepsTheChange) {
    LoadNames(registry_, FILE_ID + F_RECORD + G_RECORD);
    registry_.AddUFncElem("g", registry_.AccFilePos("g"), 2, 8, "a0+a1+a0+a1+a0+a1");
    int result = 0;
    {
        FileSizeLimit full_disk(60);  // the old 60 bytes fit, the new 72 do not
        result = SaveDate_ToFileEx(registry_);
    }
    EXPECT_EQ(result, -1);  // the working copy could not be written
    EXPECT_EQ(Read("save.dat"), FILE_ID + F_RECORD + G_RECORD);
    EXPECT_FALSE(WorkCopyLeft());
    EXPECT_EQ(registry_.AccFilePos("f"), 7);
    EXPECT_EQ(registry_.AccFilePos("g"), 32);
    EXPECT_EQ(Entry(registry_, "g")->chngFlag, 1);
    // With room again the same save succeeds.
    EXPECT_EQ(SaveDate_ToFileEx(registry_), 1);
    EXPECT_EQ(Read("save.dat").size(), 72u);
    EXPECT_EQ(registry_.GetChangeFlag(), 0);
}

// Runs a save or deletion in a child process that dies either right before the
// working copy is moved (size_limit 0) or when a file grows past size_limit bytes.
bool KilledWhile(const std::function<void()>& action, rlim_t size_limit) {
    pid_t child = fork();
    if (child == 0) {
        g_before_replace = [] { raise(SIGKILL); };
        if (size_limit > 0) {
            g_before_replace = nullptr;
            rlimit limit = {size_limit, size_limit};
            signal(SIGXFSZ, SIG_DFL);
            setrlimit(RLIMIT_FSIZE, &limit);
        }
        action();
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFSIGNALED(status);
}

enum KillStep { REWRITE, DELETION, FIRST_SAVE };

struct KillCase {
    const char* what;
    KillStep step;
    rlim_t size_limit;
    std::string after;  // the file after the same step done in full
};

TEST_F(SaveFile, AKillAtAnyInstantLeavesTheOldFileWhole) {
    const std::string g_longer =
        Bytes({0x28, 0, 0, 0, 2, 0, 0, 0, 'g', 0, 2, 0, 8, 0, 8, 0, 8, 0, 18, 0, 0, 0}) +
        "a0+a1+a0+a1+a0+a1" + std::string(1, '\0');
    std::vector<KillCase> cases = {
        {"rewrite, before the move", REWRITE, 0, FILE_ID + F_RECORD + g_longer},
        {"rewrite, while writing", REWRITE, 64, FILE_ID + F_RECORD + g_longer},
        {"deletion, before the move", DELETION, 0, FILE_ID + G_RECORD},
        {"deletion, while writing", DELETION, 20, FILE_ID + G_RECORD},
        {"first save, before the move", FIRST_SAVE, 0, FILE_ID + F_RECORD + g_longer},
        {"first save, while writing", FIRST_SAVE, 40, FILE_ID + F_RECORD + g_longer},
    };
    for (const KillCase& kill : cases) {
        SCOPED_TRACE(kill.what);
        UsrFuncArray registry(nullptr);
        if (kill.step == FIRST_SAVE) {
            std::filesystem::remove(Path("save.dat"));
            registry.AddUFncElem("f", -1, 1, 8, "a0*2");
        } else {
            LoadNames(registry, FILE_ID + F_RECORD + G_RECORD);
        }
        registry.AddUFncElem("g", 32, 2, 8, "a0+a1+a0+a1+a0+a1");
        auto step = [&] {
            if (kill.step == DELETION)
                EXPECT_EQ(registry.DelUFncElem("f"), 1);
            else if (kill.step == REWRITE)
                EXPECT_EQ(SaveDate_ToFileEx(registry), 1);
            else
                EXPECT_EQ(SaveDate_ToFileNew(registry, Path("save.dat").c_str()), 1);
        };
        EXPECT_TRUE(KilledWhile(step, kill.size_limit));
        // No half file is ever visible: the old one, or none before a first save.
        if (kill.step == FIRST_SAVE)
            EXPECT_FALSE(Exists("save.dat"));
        else
            EXPECT_EQ(Read("save.dat"), FILE_ID + F_RECORD + G_RECORD);
        step();  // and the working copy the kill left goes
        EXPECT_EQ(Read("save.dat"), kill.after);
        EXPECT_FALSE(WorkCopyLeft());
    }
}

TEST_F(SaveFile, ARewriteKeepsALinkAndThePermissionBits) {
    LoadNames(registry_, FILE_ID + F_RECORD + G_RECORD);
    std::filesystem::create_directory(Path("real"));
    std::filesystem::rename(Path("save.dat"), Path("real/save.dat"));
    std::filesystem::create_symlink("real/save.dat", Path("save.dat"));
    chmod(Path("real/save.dat").c_str(), 0640);
    registry_.AddUFncElem("f", 7, 1, 8, "a0*2");
    EXPECT_EQ(SaveDate_ToFileEx(registry_), 1);
    EXPECT_TRUE(std::filesystem::is_symlink(Path("save.dat")));
    EXPECT_EQ(Read("save.dat"), FILE_ID + F_RECORD + G_RECORD);
    struct stat saved;
    ASSERT_EQ(stat(Path("real/save.dat").c_str(), &saved), 0);
    EXPECT_EQ(saved.st_mode & 07777, 0640u);
    EXPECT_FALSE(Exists("real/template.dat"));
}

// Runs action in a child process as an ordinary user (nobody when the tests run
// as root, where no permission bit would refuse anything); its result is the
// child's exit status, -1 when the child did not end normally.
int AsOrdinaryUser(const std::function<int()>& action) {
    pid_t child = fork();
    if (child == 0) {
        if (geteuid() == 0) {
            const passwd* nobody = getpwnam("nobody");
            if (nobody == nullptr || setgid(nobody->pw_gid) != 0 || setuid(nobody->pw_uid) != 0)
                _exit(99);
        }
        _exit(action() & 0xFF);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST_F(SaveFile, AReadOnlySaveFileIsNotReplaced) {
    LoadNames(registry_, FILE_ID + F_RECORD + G_RECORD);
    chmod(dir_.c_str(), 0777);  // the folder is the other user's to write
    chmod(Path("save.dat").c_str(), 0444);
    registry_.AddUFncElem("f", 7, 1, 8, "a0*3");
    int result = AsOrdinaryUser([&] { return -SaveDate_ToFileEx(registry_); });
    EXPECT_EQ(result, -SAVE_DENIED);
    EXPECT_EQ(Read("save.dat"), FILE_ID + F_RECORD + G_RECORD);
    EXPECT_EQ(Files(), std::vector<std::string>{"save.dat"});
    // A folder the user may not write takes no new save file either.
    chmod(dir_.c_str(), 0555);
    result =
        AsOrdinaryUser([&] { return -SaveDate_ToFileNew(registry_, Path("new.dat").c_str()); });
    chmod(dir_.c_str(), 0755);
    EXPECT_EQ(result, -SAVE_DENIED);
    EXPECT_EQ(Files(), std::vector<std::string>{"save.dat"});
}

// Deleting a record writes the save file as a save does: a read-only file keeps
// its records, the last one included (whose deletion would remove the file).
TEST_F(SaveFile, DeletingFromAReadOnlySaveFileIsRefused) {
    const std::string contents[] = {FILE_ID + F_RECORD, FILE_ID + F_RECORD + G_RECORD};
    for (const std::string& content : contents) {
        UsrFuncArray registry(nullptr);
        LoadNames(registry, content);
        chmod(dir_.c_str(), 0777);  // the folder is the other user's to write
        chmod(Path("save.dat").c_str(), 0444);
        int result = AsOrdinaryUser([&] { return -registry.DelUFncElem("f"); });
        chmod(Path("save.dat").c_str(), 0644);
        EXPECT_EQ(result, -SAVE_DENIED) << content.size();
        EXPECT_EQ(Read("save.dat"), content);
    }
}

TEST_F(SaveFile, ANewFileOnAFullDiskIsRemovedAndNothingCountsAsSaved) {
    registry_.AddUFncElem("f", -1, 1, 8, "a0*2");
    registry_.AddUFncElem("g", -1, 2, 8, "a0+a1");
    int result = 0;
    {
        FileSizeLimit full_disk(40);
        result = SaveDate_ToFileNew(registry_, Path("new.dat").c_str());
    }
    EXPECT_EQ(result, -5);
    EXPECT_FALSE(Exists("new.dat"));
    EXPECT_EQ(registry_.GetSourceFile(), nullptr);
    EXPECT_EQ(registry_.AccFilePos("f"), -1);
    EXPECT_EQ(registry_.AccFilePos("g"), -1);
    EXPECT_EQ(Entry(registry_, "f")->chngFlag, 1);
    EXPECT_EQ(Entry(registry_, "g")->chngFlag, 1);
}

TEST_F(SaveFile, SaveDataOnAFullDeviceKeepsTheFunctionChanged) {
    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    registry_.AddUFncElem("f", -1, 1, 8, std::string("a0+" + std::string(200, '1')).c_str());
    std::ofstream full;
    full.rdbuf()->pubsetbuf(nullptr, 0);  // unbuffered: the refusal shows at once
    full.open("/dev/full", std::ios::binary);
    EXPECT_EQ(registry_.FirstPnt()->SaveData(full), 1);
    EXPECT_EQ(registry_.FirstPnt()->chngFlag, 1);
}

TEST_F(SaveFile, SaveDataOfAnUndefinedFunctionWritesNothing) {
    registry_.AddUFncElem("f", 7, 1, 8, nullptr);
    registry_.FirstPnt()->chngFlag = 1;
    {
        std::ofstream out(Path("out.dat"), std::ios::binary);
        EXPECT_EQ(registry_.FirstPnt()->SaveData(out), 0);
    }
    EXPECT_EQ(Read("out.dat"), "");
    EXPECT_EQ(registry_.FirstPnt()->chngFlag, 1);
}

// ---- Several runs sharing one save file ----

std::string WithDefinition(std::string record, char last_digit) {
    record[record.size() - 2] = last_digit;  // f(a0) = a0*<digit>
    return record;
}

// This run read loaded (all definitions when load_all), made its change, and
// another run left the file as now; the save writes the union of both.
struct MergeCase {
    const char* what;
    std::string loaded;
    bool load_all;
    std::function<void(UsrFuncArray&)> change;
    std::string now;
    std::string after;
    std::vector<std::string> names;  // this registry afterwards
    std::string said;                // a line the save wrote ("" for none)
};

TEST_F(SaveFile, ASaveMergesWithWhatAnotherRunSaved) {
    const std::string f3 = WithDefinition(F_RECORD, '3');
    const std::string f5 = WithDefinition(F_RECORD, '5');
    const std::string h_record =
        Bytes({20, 0, 0, 0, 2, 0, 0, 0, 'h', 0, 0, 0, 8, 0, 2, 0, 0, 0, '1', 0});
    auto add_h = [](UsrFuncArray& registry) { registry.AddUFncElem("h", -1, 0, 8, "1"); };
    auto enrol_f5 = [](UsrFuncArray& registry) { registry.AddUFncElem("f", 7, 1, 8, "a0*5"); };
    auto nothing = [](UsrFuncArray&) {};
    std::vector<MergeCase> cases = {
        {"this run's newer definition replaces another run's",
         FILE_ID + F_RECORD + G_RECORD,
         false,
         enrol_f5,
         FILE_ID + f3 + G_RECORD,
         FILE_ID + f5 + G_RECORD,
         {"f", "g"},
         "関数 f : ほかの kansu が保存した定義を、この kansu の定義で置き換えました"},
        {"another run's newer definition is kept and loaded",
         FILE_ID + F_RECORD + G_RECORD,
         true,
         add_h,
         FILE_ID + f3 + G_RECORD,
         FILE_ID + f3 + G_RECORD + h_record,
         {"f", "g", "h"},
         "関数 f : ほかの kansu が保存した新しい定義を読み込みました"},
        {"another run's deletion is honoured",
         FILE_ID + F_RECORD + G_RECORD,
         false,
         add_h,
         FILE_ID + G_RECORD,
         FILE_ID + G_RECORD + h_record,
         {"g", "h"},
         "関数 f : ほかの kansu が保存ファイルから削除したので、登録から外しました"},
        {"another run's addition is kept and registered by name",
         FILE_ID + F_RECORD,
         false,
         add_h,
         FILE_ID + F_RECORD + G_RECORD,
         FILE_ID + F_RECORD + G_RECORD + h_record,
         {"f", "g", "h"},
         "関数 g : ほかの kansu が保存ファイルに加えた関数です。名前だけ登録しました"},
        {"loading all definitions changes nothing",
         FILE_ID + F_RECORD,
         true,
         nothing,
         FILE_ID + f3 + G_RECORD,
         FILE_ID + f3 + G_RECORD,
         {"f", "g"},
         "関数 g : ほかの kansu が保存ファイルに加えた関数です。名前だけ登録しました"},
        {"a save file that went away is written anew",
         FILE_ID + F_RECORD,
         true,
         add_h,
         "",
         FILE_ID + F_RECORD + h_record,
         {"f", "h"},
         ""},
    };
    for (const MergeCase& merge : cases) {
        SCOPED_TRACE(merge.what);
        UsrFuncArray registry(nullptr);
        Write("save.dat", merge.loaded);
        CoutCapture capture;
        ASSERT_EQ(Create_UFunctionTable(registry, Path("save.dat").c_str(), merge.load_all ? 1 : 0),
                  1);
        merge.change(registry);
        if (merge.now.empty())
            std::filesystem::remove(Path("save.dat"));
        else
            Write("save.dat", merge.now);
        EXPECT_EQ(SaveDate_ToFileEx(registry), 1);
        EXPECT_EQ(Read("save.dat"), merge.after);
        EXPECT_EQ(Names(registry), merge.names);
        EXPECT_EQ(registry.GetChangeFlag(), 0);
        SaveFileContent written = Parse_SaveFile(merge.after);
        for (const RecordPlace& record : written.records)
            EXPECT_EQ(registry.AccFilePos(record.name.c_str()), record.position) << record.name;
        if (merge.said.empty())
            EXPECT_EQ(capture.Text(), "");
        else
            EXPECT_NE(capture.Text().find(Cp932(merge.said)), std::string::npos) << capture.Text();
    }
}

TEST_F(SaveFile, AnotherRunsNewerDefinitionIsUsedAfterTheSave) {
    Write("save.dat", FILE_ID + F_RECORD);
    CoutCapture capture;
    ASSERT_EQ(Create_UFunctionTable(registry_, Path("save.dat").c_str(), 1), 1);
    Write("save.dat", FILE_ID + WithDefinition(F_RECORD, '3'));
    EXPECT_EQ(SaveDate_ToFileEx(registry_), 1);
    unsigned short arg_count = 0, ret_kind = 0;
    char* text = Entry(registry_, "f")->GetFuncDef(&arg_count, &ret_kind);
    EXPECT_STREQ(text, "a0*3");
    delete[] text;
}

TEST_F(SaveFile, ADeletionWhileAnotherRunHoldsTheLockIsCompletedByTheNextSave) {
    LoadNames(registry_, FILE_ID + F_RECORD + G_RECORD);
    double saved_wait = g_lock_wait_seconds;
    g_lock_wait_seconds = 0.2;
    {
        FolderLock other_run(Path("save.dat"));
        ASSERT_EQ(other_run.Status(), FILE_DONE);
        registry_.AddUFncElem("h", -1, 0, 8, "1");
        EXPECT_EQ(SaveDate_ToFileEx(registry_), SAVE_LOCK_BUSY);
        EXPECT_EQ(registry_.DelUFncElem("f"), SAVE_LOCK_BUSY);
        EXPECT_EQ(registry_.SetFuncDefFrmFile("g"), SAVE_LOCK_BUSY);
        EXPECT_EQ(SaveDate_ToFileNew(registry_, Path("new.dat").c_str()), SAVE_LOCK_BUSY);
    }
    g_lock_wait_seconds = saved_wait;
    EXPECT_EQ(Read("save.dat"), FILE_ID + F_RECORD + G_RECORD);
    EXPECT_EQ(Entry(registry_, "h")->chngFlag, 1);
    // f was deleted by this run: its record goes, it does not come back by name.
    CoutCapture capture;
    EXPECT_EQ(SaveDate_ToFileEx(registry_), 1);
    EXPECT_EQ(Names(registry_), (std::vector<std::string>{"g", "h"}));
    EXPECT_EQ(Read("save.dat").substr(0, 7 + G_RECORD.size()), FILE_ID + G_RECORD);
    EXPECT_EQ(capture.Text(), "");
}

// Opening a FIFO for reading would wait for a writer: every reader refuses it.
TEST_F(SaveFile, AFifoIsRefusedWithoutWaiting) {
    LoadNames(registry_, FILE_ID + F_RECORD);
    std::filesystem::remove(Path("save.dat"));
    ASSERT_EQ(mkfifo(Path("save.dat").c_str(), 0644), 0);
    registry_.AddUFncElem("f", 7, 1, 8, "a0*3");
    alarm(20);  // a regression ends the test program instead of hanging it
    EXPECT_EQ(SaveDate_ToFileEx(registry_), SAVE_NOT_REGULAR);
    EXPECT_EQ(registry_.SetFuncDefFrmFile("f"), DEFINITION_UNREADABLE);
    EXPECT_EQ(Check_FileID(Path("save.dat").c_str()), LOAD_UNREADABLE);
    UsrFuncArray other(nullptr);
    EXPECT_EQ(Create_UFunctionTable(other, Path("save.dat").c_str(), 0), SAVE_NOT_REGULAR);
    std::string bytes;
    EXPECT_EQ(Read_RegularFile(Path("save.dat"), &bytes), FILE_NOT_REGULAR);
    EXPECT_EQ(Read_RegularFile(dir_, &bytes), FILE_NOT_REGULAR);
    EXPECT_EQ(Check_OutputPath(Path("save.dat")), FILE_NOT_REGULAR);
    alarm(0);
}

// Root rewriting another user's save file leaves it theirs, with its bits.
TEST_F(SaveFile, ARewriteKeepsTheOwner) {
    if (geteuid() != 0) GTEST_SKIP() << "only root may give a file to another user";
    const passwd* nobody = getpwnam("nobody");
    ASSERT_NE(nobody, nullptr);
    LoadNames(registry_, FILE_ID + F_RECORD + G_RECORD);
    ASSERT_EQ(chown(Path("save.dat").c_str(), nobody->pw_uid, nobody->pw_gid), 0);
    chmod(Path("save.dat").c_str(), 0604);
    registry_.AddUFncElem("f", 7, 1, 8, "a0*3");
    EXPECT_EQ(SaveDate_ToFileEx(registry_), 1);
    struct stat saved;
    ASSERT_EQ(stat(Path("save.dat").c_str(), &saved), 0);
    EXPECT_EQ(saved.st_uid, nobody->pw_uid);
    EXPECT_EQ(saved.st_gid, nobody->pw_gid);
    EXPECT_EQ(saved.st_mode & 07777, 0604u);
}

TEST_F(SaveFile, ALoadSaysHowManyFunctionsItReadBeforeADamagedRecord) {
    Write("save.dat", FILE_ID + F_RECORD + G_RECORD.substr(0, 10));
    CoutCapture capture;
    ASSERT_EQ(Create_UFunctionTable(registry_, Path("save.dat").c_str(), 0), 1);
    EXPECT_EQ(
        capture.Text(),
        Cp932(PlatformText(
            "関数を 1 個読み込みました。ファイルの残りのレコードは壊れているため読み込めません\n")));
}

}  // namespace

namespace {
int Rename_Denied(const char*, const char*) {
    errno = EACCES;
    return -1;
}
}  // namespace

// The save file changes between the load and the merging save: it can no
// longer be read, is no save file, is a folder, or refuses the new copy. The
// save is refused with why, whatever is there stays, and the change is kept.
TEST_F(SaveFile, AFileThatChangedSinceTheLoadIsLeftAsItIs) {
    struct Case {
        const char* what;
        std::function<void()> change;
        int expected;
        bool as_user;
    };
    const Case cases[] = {
        {"unreadable", [this] { chmod(Path("save.dat").c_str(), 0); }, SAVE_DENIED, true},
        {"no save file", [this] { Write("save.dat", "not a save file"); }, 0, false},
        {"a folder",
         [this] {
             std::filesystem::remove(Path("save.dat"));
             std::filesystem::create_directory(Path("save.dat"));
         },
         SAVE_NOT_REGULAR, false},
        {"the move refused", [] { g_safefile_calls.rename = Rename_Denied; }, SAVE_DENIED, false},
    };
    const SafeFileCalls real_calls = g_safefile_calls;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove_all(Path("save.dat"));
        registry_.DeleteAllObject();
        LoadNames(registry_, FILE_ID + F_RECORD + G_RECORD);
        registry_.AddUFncElem("g", registry_.AccFilePos("g"), 2, 8, "a0-a1");
        c.change();
        const std::string before = std::filesystem::is_regular_file(Path("save.dat"))
                                       ? Read_WholeFile(Path("save.dat"))
                                       : std::string();
        chmod(dir_.c_str(), 0777);
        int result = c.as_user ? -AsOrdinaryUser([&] { return -SaveDate_ToFileEx(registry_); })
                               : SaveDate_ToFileEx(registry_);
        chmod(dir_.c_str(), 0755);
        g_safefile_calls = real_calls;
        EXPECT_EQ(result, c.expected);
        if (!before.empty()) {
            EXPECT_EQ(Read_WholeFile(Path("save.dat")), before);
        }
        EXPECT_FALSE(WorkCopyLeft());
        EXPECT_EQ(Entry(registry_, "g")->chngFlag, 1);
        EXPECT_EQ(registry_.AccFilePos("g"), 32);
    }
}
