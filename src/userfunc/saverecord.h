// The record format of save files: a 7-byte identifier, then records of
// little-endian fields (record length, name, argument count and kinds, result
// kind, definition). Reading is checked throughout: save files are untrusted.
#ifndef KANSU_SAVERECORD_H
#define KANSU_SAVERECORD_H

#include <istream>
#include <ostream>
#include <streambuf>
#include <string>
#include <string_view>
#include <vector>

// Identifier at the start of every save file.
extern const char UFUNC_FILE_ID[8];
const int UFUNC_FILE_ID_SIZE = 7;

// Reads the 7 identifier bytes at the read position: true when they are the identifier.
bool Read_FileID(std::istream& in);
// Writes one record; every argument kind is 8 (double). True when the stream took it all.
bool Write_Record(std::ostream& out, const char* name, unsigned short arg_count,
                  unsigned short ret_kind, const char* definition);

// Every reader starts at the stream's position, never reads at or past file_end
// and returns 1 when the whole field was there, 0 otherwise (the stream position
// is then unspecified).

// Smallest possible record: the fixed fields, a one-letter name, an empty definition.
const unsigned long UFUNC_RECORD_MIN = 18;
// Offset of the end of the stream's file, -1 when it cannot be found; the read
// position is left at the end.
long Find_FileEnd(std::istream& in);
// Bytes from the read position up to file_end (0 when the position is unknown).
long Bytes_Left(std::istream& in, long file_end);
int Read_UInt16(std::istream& in, long file_end, unsigned short* value);
int Read_UInt32(std::istream& in, long file_end, unsigned long* value);
// A text field of length bytes whose last byte is its only NUL (length 0 is the
// empty text); text receives it without the NUL.
int Read_TextField(std::istream& in, long file_end, unsigned long length, std::string* text);
// The record length at file_pos, accepted only when at least UFUNC_RECORD_MIN and
// inside the file; the read position is left after the length field.
int Read_RecordLength(std::istream& in, long file_end, long file_pos, unsigned long* recd_length);

// One record of a save file as read from it.
struct SavedRecord {
    long position;  // offset of its first byte
    unsigned long recd_length;
    std::string name;  // never empty
    unsigned short arg_num;
    unsigned short ret_kind;
    std::vector<unsigned short> arg_kinds;  // arg_num kind codes
    std::string definition;
    long definition_at;  // offset of the definition text
};

// Bytes held in memory read as a stream (seeks included), without a copy.
class MemoryReadBuf : public std::streambuf {
public:
    MemoryReadBuf(const char* data, size_t size);

protected:
    pos_type seekoff(off_type offset, std::ios_base::seekdir direction,
                     std::ios_base::openmode which) override;
    pos_type seekpos(pos_type position, std::ios_base::openmode which) override;
};

// A record's bytes as a run knows them: their length and a 64-bit hash
// (FNV-1a), which tells whether another run rewrote the record without
// keeping a copy of it. An empty stamp knows no record.
struct RecordStamp {
    size_t size = 0;
    unsigned long long hash = 0;
    bool Known() const { return size != 0; }
    bool operator==(const RecordStamp& other) const {
        return size == other.size && hash == other.hash;
    }
    bool operator!=(const RecordStamp& other) const { return !(*this == other); }
};
RecordStamp Stamp_Of(std::string_view bytes);
// Reads the record at the read position. 1 when it is whole: its record length fits
// in the file and equals the sum of its fields, each text ends with its only NUL.
// 0 otherwise; the walk over a file must stop there. On 1 the position is at the
// next record.
int Read_SavedRecord(std::istream& in, long file_end, SavedRecord* record);
// 1 when a whole record starts at file_pos and, unless name is null, carries that
// name: the record a registry entry was given is still where the entry says.
int Check_StoredRecord(std::istream& in, long file_end, long file_pos, const char* name,
                       SavedRecord* record);

#endif
