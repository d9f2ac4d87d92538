#include "userfunc/saverecord.h"

#include <cstring>

const char UFUNC_FILE_ID[8] = "QVRLX10";

bool Read_FileID(std::istream& in) {
    char id[UFUNC_FILE_ID_SIZE];
    if (!in.read(id, UFUNC_FILE_ID_SIZE)) return false;
    return std::memcmp(id, UFUNC_FILE_ID, UFUNC_FILE_ID_SIZE) == 0;
}

namespace {
void Write_LittleEndian(std::ostream& out, unsigned long value, int byte_count) {
    for (int i = 0; i < byte_count; ++i) out.put(static_cast<char>((value >> (8 * i)) & 0xFF));
}
}  // namespace

bool Write_Record(std::ostream& out, const char* name, unsigned short arg_count,
                  unsigned short ret_kind, const char* definition) {
    unsigned long name_length = std::strlen(name) + 1;
    unsigned long def_length = std::strlen(definition) + 1;
    unsigned long recd_length = 2UL * arg_count + name_length + def_length + 16;
    Write_LittleEndian(out, recd_length, 4);
    Write_LittleEndian(out, name_length, 4);
    out.write(name, static_cast<std::streamsize>(name_length));
    Write_LittleEndian(out, arg_count, 2);
    Write_LittleEndian(out, ret_kind, 2);
    for (unsigned int i = 0; i < arg_count; ++i) Write_LittleEndian(out, 8, 2);
    Write_LittleEndian(out, def_length, 4);
    out.write(definition, static_cast<std::streamsize>(def_length));
    return out.good();
}

long Find_FileEnd(std::istream& in) {
    in.clear();
    if (!in.seekg(0, std::ios::end)) return -1;
    std::streamoff end = in.tellg();
    return end < 0 ? -1 : static_cast<long>(end);
}

long Bytes_Left(std::istream& in, long file_end) {
    if (!in.good()) return 0;
    std::streamoff here = in.tellg();
    if (here < 0 || here >= file_end) return 0;
    return file_end - static_cast<long>(here);
}

namespace {
int Read_LittleEndian(std::istream& in, long file_end, int byte_count, unsigned long* value) {
    if (Bytes_Left(in, file_end) < byte_count) return 0;
    unsigned char bytes[4] = {};
    if (!in.read(reinterpret_cast<char*>(bytes), byte_count)) return 0;
    unsigned long result = 0;
    for (int i = byte_count - 1; i >= 0; --i) result = (result << 8) | bytes[i];
    *value = result;
    return 1;
}
}  // namespace

int Read_UInt16(std::istream& in, long file_end, unsigned short* value) {
    unsigned long wide = 0;
    if (!Read_LittleEndian(in, file_end, 2, &wide)) return 0;
    *value = static_cast<unsigned short>(wide);
    return 1;
}

int Read_UInt32(std::istream& in, long file_end, unsigned long* value) {
    return Read_LittleEndian(in, file_end, 4, value);
}

int Read_TextField(std::istream& in, long file_end, unsigned long length, std::string* text) {
    text->clear();
    if (length == 0) return 1;
    if (length > static_cast<unsigned long>(Bytes_Left(in, file_end))) return 0;
    std::string bytes(length, '\0');
    if (!in.read(&bytes[0], static_cast<std::streamsize>(length))) return 0;
    if (bytes.find('\0') != length - 1) return 0;
    bytes.pop_back();
    *text = bytes;
    return 1;
}

int Read_RecordLength(std::istream& in, long file_end, long file_pos, unsigned long* recd_length) {
    if (file_pos < 0 || file_pos >= file_end) return 0;
    in.clear();
    if (!in.seekg(file_pos)) return 0;
    unsigned long length = 0;
    if (!Read_UInt32(in, file_end, &length)) return 0;
    if (length < UFUNC_RECORD_MIN || length > static_cast<unsigned long>(file_end - file_pos))
        return 0;
    *recd_length = length;
    return 1;
}

namespace {
int Read_ArgKinds(std::istream& in, long record_end, SavedRecord* record) {
    record->arg_kinds.clear();
    unsigned long size = 2UL * record->arg_num;
    if (size > static_cast<unsigned long>(Bytes_Left(in, record_end))) return 0;
    record->arg_kinds.resize(record->arg_num);
    for (unsigned short& kind : record->arg_kinds)
        if (!Read_UInt16(in, record_end, &kind)) return 0;
    return 1;
}
}  // namespace

int Read_SavedRecord(std::istream& in, long file_end, SavedRecord* record) {
    if (!in.good()) return 0;
    std::streamoff start = in.tellg();
    if (start < 0) return 0;
    record->position = static_cast<long>(start);
    if (!Read_RecordLength(in, file_end, record->position, &record->recd_length)) return 0;
    // Every field must lie inside the record, and fill it exactly.
    long record_end = record->position + static_cast<long>(record->recd_length);
    unsigned long name_length = 0;
    unsigned long def_length = 0;
    if (!Read_UInt32(in, record_end, &name_length) || name_length < 2 ||
        !Read_TextField(in, record_end, name_length, &record->name) ||
        !Read_UInt16(in, record_end, &record->arg_num) ||
        !Read_UInt16(in, record_end, &record->ret_kind) || !Read_ArgKinds(in, record_end, record) ||
        !Read_UInt32(in, record_end, &def_length))
        return 0;
    record->definition_at = static_cast<long>(in.tellg());
    if (!Read_TextField(in, record_end, def_length, &record->definition)) return 0;
    return 16 + name_length + def_length + 2UL * record->arg_num == record->recd_length ? 1 : 0;
}

int Check_StoredRecord(std::istream& in, long file_end, long file_pos, const char* name,
                       SavedRecord* record) {
    if (file_pos < UFUNC_FILE_ID_SIZE || file_pos >= file_end) return 0;
    in.clear();
    if (!in.seekg(file_pos) || Read_SavedRecord(in, file_end, record) != 1) return 0;
    return name == nullptr || record->name == name ? 1 : 0;
}

MemoryReadBuf::MemoryReadBuf(const char* data, size_t size) {
    char* start = const_cast<char*>(data);  // only ever read
    setg(start, start, start + size);
}

MemoryReadBuf::pos_type MemoryReadBuf::seekoff(off_type offset, std::ios_base::seekdir direction,
                                               std::ios_base::openmode which) {
    if ((which & std::ios_base::in) == 0) return pos_type(off_type(-1));
    char* from = direction == std::ios_base::beg   ? eback()
                 : direction == std::ios_base::cur ? gptr()
                                                   : egptr();
    if (offset < eback() - from || offset > egptr() - from) return pos_type(off_type(-1));
    setg(eback(), from + offset, egptr());
    return pos_type(gptr() - eback());
}

MemoryReadBuf::pos_type MemoryReadBuf::seekpos(pos_type position, std::ios_base::openmode which) {
    return seekoff(off_type(position), std::ios_base::beg, which);
}

RecordStamp Stamp_Of(std::string_view bytes) {
    RecordStamp stamp;
    stamp.size = bytes.size();
    stamp.hash = 14695981039346656037ULL;
    for (unsigned char byte : bytes) stamp.hash = (stamp.hash ^ byte) * 1099511628211ULL;
    return stamp;
}
