#include "userfunc/savefileindex.h"

#include <algorithm>
#include <fstream>
#include <iostream>
#include <map>
#include <memory>
#include <new>
#include <utility>

#include "files/safefile.h"
#include "text/messages.h"
#include "userfunc/savefile.h"
#include "userfunc/usrfunc.h"

namespace {
uint32_t Name_Hash(std::string_view name) { return static_cast<uint32_t>(Stamp_Of(name).hash); }

bool Is_Letter(char letter) {
    return (letter >= 'a' && letter <= 'z') || (letter >= 'A' && letter <= 'Z');
}

bool Is_NameLetter(char letter) { return Is_Letter(letter) || (letter >= '0' && letter <= '9'); }

unsigned long Little_Endian32(const char* bytes) {
    unsigned long value = 0;
    for (int i = 3; i >= 0; --i) value = (value << 8) | static_cast<unsigned char>(bytes[i]);
    return value;
}

// Walks the records of a save file as its pieces arrive, holding only the
// record that is not whole yet.
class RecordWalk : public FilePieces {
public:
    explicit RecordWalk(std::vector<SaveFileIndex::Slot>* slots) : slots_(slots) {}
    void Size(long long size) override { file_end_ = static_cast<long>(size); }
    void Take(const char* data, size_t size) override {
        if (stopped_) return;
        pending_.append(data, size);
        if (!id_checked_ && !Check_Id()) return;
        Walk();
    }
    // After the last piece: bytes left over are a record cut short.
    void Finish() {
        if (!id_checked_) is_save_file_ = false;
        if (!stopped_ && !pending_.empty()) damaged_ = true;
    }
    long file_end_ = 0;
    bool is_save_file_ = true;
    bool damaged_ = false;

private:
    bool Check_Id() {
        if (pending_.size() < static_cast<size_t>(UFUNC_FILE_ID_SIZE)) return false;
        id_checked_ = true;
        if (pending_.compare(0, UFUNC_FILE_ID_SIZE, UFUNC_FILE_ID) != 0) {
            is_save_file_ = false;
            stopped_ = true;
            return false;
        }
        pending_.erase(0, UFUNC_FILE_ID_SIZE);
        pending_at_ = UFUNC_FILE_ID_SIZE;
        return true;
    }
    void Walk() {
        size_t used = 0;
        while (pending_.size() - used >= 4) {
            long position = pending_at_ + static_cast<long>(used);
            unsigned long length = Little_Endian32(pending_.data() + used);
            if (length < UFUNC_RECORD_MIN ||
                length > static_cast<unsigned long>(file_end_ - position) ||
                static_cast<long long>(position) > static_cast<long long>(UINT32_MAX)) {
                Stop();
                return;
            }
            if (pending_.size() - used < length) break;
            MemoryReadBuf memory(pending_.data() + used, length);
            std::istream in(&memory);
            if (Read_SavedRecord(in, static_cast<long>(length), &record_) != 1) {
                Stop();
                return;
            }
            slots_->push_back({Name_Hash(record_.name), static_cast<uint32_t>(position)});
            used += length;
        }
        pending_.erase(0, used);
        pending_at_ += static_cast<long>(used);
    }
    void Stop() {
        damaged_ = true;
        stopped_ = true;
        pending_.clear();
    }

    std::vector<SaveFileIndex::Slot>* slots_;
    std::string pending_;
    long pending_at_ = 0;
    bool id_checked_ = false;
    bool stopped_ = false;
    SavedRecord record_;
};
}  // namespace

SaveOutcome SaveFileIndex::Open(const std::string& path) {
    path_ = path;
    slots_.clear();
    RecordWalk walk(&slots_);
    SaveOutcome read = File_Outcome(Read_RegularFilePieces(path, walk), LOAD_UNREADABLE,
                                    {FILE_NOT_REGULAR, FILE_TOO_MANY});
    if (read != SAVE_DONE) return read;
    walk.Finish();
    if (!walk.is_save_file_) return LOAD_NOT_SAVE_FILE;
    file_end_ = walk.file_end_;
    damaged_ = walk.damaged_;
    slots_.shrink_to_fit();
    std::sort(slots_.begin(), slots_.end(), [](const Slot& a, const Slot& b) {
        return a.hash != b.hash ? a.hash < b.hash : a.position < b.position;
    });
    return SAVE_DONE;
}

bool SaveFileIndex::Find(const std::string& name, SavedRecord* last) const {
    uint32_t hash = Name_Hash(name);
    auto place = std::lower_bound(slots_.begin(), slots_.end(), hash,
                                  [](const Slot& slot, uint32_t key) { return slot.hash < key; });
    bool found = false;
    std::ifstream in;
    for (; place != slots_.end() && place->hash == hash; ++place) {
        if (!in.is_open()) in.open(path_, std::ios::binary);
        SavedRecord record;
        // A record that is no longer there (the file was rewritten) is not used.
        if (Check_StoredRecord(in, file_end_, place->position, name.c_str(), &record) != 1)
            continue;
        *last = std::move(record);
        found = true;
    }
    return found;
}

std::vector<std::string> Called_Names(std::string_view text) {
    std::vector<std::string> names;
    size_t i = 0;
    while (i < text.size()) {
        if (!Is_Letter(text[i]) || (i > 0 && Is_NameLetter(text[i - 1]))) {
            ++i;
            continue;
        }
        size_t end = i;
        while (end < text.size() && Is_NameLetter(text[end])) ++end;
        size_t next = end;
        while (next < text.size() && (text[next] == ' ' || text[next] == '\t')) ++next;
        if (next < text.size() && text[next] == '(') names.emplace_back(text.substr(i, end - i));
        i = end;
    }
    return names;
}

SaveOutcome Index_UFunctionFile(UsrFuncArray& ufunc_list, const char* path) {
    std::string file_path = path;
    std::unique_ptr<SaveFileIndex> index(new SaveFileIndex);
    SaveOutcome opened = index->Open(file_path);
    if (opened != SAVE_DONE) return opened;
    if (index->Damaged()) {
        std::cout << Msg().LOAD_DAMAGED_BEFORE << index->RecordCount() << Msg().LOAD_DAMAGED_AFTER
                  << std::endl;
    }
    ufunc_list.DeleteAllObject();
    ufunc_list.ChangeSourceFile(file_path.c_str(), 0);
    ufunc_list.Use_FileIndex(std::move(index));
    return SAVE_DONE;
}

namespace {
// The functions a formula takes from the index, each defined after the ones
// its definition calls (where they do not call each other round), so that a
// function may call one whose record comes later.
class CalleesFirstDefinition {
public:
    struct Taken {
        UsrFuncProp* entry;
        std::string definition;
    };
    CalleesFirstDefinition(std::vector<Taken> taken, const FunctionNames& function_names)
        : taken_(std::move(taken)), function_names_(function_names) {
        for (size_t i = 0; i < taken_.size(); ++i) index_[taken_[i].entry->label] = i;
        state_.assign(taken_.size(), UNSEEN);
    }
    void Define_All() {
        for (size_t i = 0; i < taken_.size(); ++i) Visit(i);
    }

private:
    enum State { UNSEEN, OPEN, DONE };
    void Visit(size_t i) {
        if (state_[i] != UNSEEN) return;
        state_[i] = OPEN;
        for (const std::string& name : Called_Names(taken_[i].definition)) {
            auto callee = index_.find(name);
            if (callee != index_.end()) Visit(callee->second);
        }
        state_[i] = DONE;
        UsrFuncProp* entry = taken_[i].entry;
        entry->LoadFuncDef(taken_[i].definition.c_str(), entry->argNum, entry->rtvKind,
                           function_names_);
        entry->chngFlag = 1;
        entry->changedSinceRead = false;
    }

    std::vector<Taken> taken_;
    std::map<std::string, size_t, std::less<>> index_;
    std::vector<State> state_;
    const FunctionNames& function_names_;
};
}  // namespace

void UsrFuncArray::Take_CalledFunctions(std::string_view formula) {
    if (file_index == nullptr) return;
    std::vector<CalleesFirstDefinition::Taken> taken;
    std::vector<std::string> waiting = Called_Names(formula);
    while (!waiting.empty()) {
        std::string name = std::move(waiting.back());
        waiting.pop_back();
        if (Find(name.c_str()) != nullptr) continue;
        SavedRecord record;
        if (!file_index->Find(name, &record)) continue;
        if (AddUFncElem(name.c_str(), record.position, record.arg_num, record.ret_kind, nullptr) !=
            1)
            throw std::bad_alloc();
        for (std::string& called : Called_Names(record.definition))
            waiting.push_back(std::move(called));
        taken.push_back({Find(name.c_str()), std::move(record.definition)});
    }
    CalleesFirstDefinition(std::move(taken), *this).Define_All();
}
