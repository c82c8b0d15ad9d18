// The dBASE III table file: header, field descriptors and fixed-length records.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "store/value.h"

namespace store {

struct FieldDef {
    std::string name;
    Type type = Type::Char;
    int length = 1;
    int decimals = 0;
};

struct FieldInfo {
    std::string name;  // upper case
    Type type;
    std::uint16_t offset;  // within the record (the deletion flag is byte 0)
    std::uint16_t length;  // C fields may be wider than 255 (high byte kept in the decimals byte)
    std::uint8_t decimals;
};

enum class OpenMode { Shared, Exclusive, ReadOnly };

// Reading and writing field values inside a record buffer.
namespace fieldcodec {
Value read(const FieldInfo& f, const char* record);
std::string_view readText(const FieldInfo& f, const char* record);
Decimal readNum(const FieldInfo& f, const char* record);
Date readDate(const FieldInfo& f, const char* record);
bool readLogic(const FieldInfo& f, const char* record);
// Writes a value converted to the field's type. Throws StoreError (Overflow,
// Type) without touching the buffer when the value cannot be stored.
void write(const FieldInfo& f, char* record, const Value& v, const std::string& where);
void writeText(const FieldInfo& f, char* record, std::string_view text);
void writeNum(const FieldInfo& f, char* record, const Decimal& n, const std::string& where);
// The text an N field would hold, or empty when the number does not fit.
std::string formatNum(const Decimal& n, int width, int decimals);
}  // namespace fieldcodec

class DbfFile {
public:
    // Creates an empty table, replacing any file of that name.
    static void create(const std::string& path, const std::vector<FieldDef>& fields);

    // Opens an existing table. Throws StoreError: NotFound, Damaged, Io, or
    // Exclusive when another opener's access mode excludes ours. A companion
    // opening takes no access-mode lock of its own: it is a second view of a table
    // that this workstation already holds open (the holder's lock stands for both).
    DbfFile(const std::string& path, OpenMode mode, bool companion = false);
    ~DbfFile();
    DbfFile(const DbfFile&) = delete;
    DbfFile& operator=(const DbfFile&) = delete;

    const std::string& path() const { return path_; }
    OpenMode mode() const { return mode_; }
    bool shared() const { return mode_ != OpenMode::Exclusive; }
    int fd() const { return fd_; }
    const std::vector<FieldInfo>& fields() const { return fields_; }
    int fieldIndex(std::string_view name) const;  // -1 when absent
    std::uint32_t recordLength() const { return recordLength_; }
    const std::string& blankRecord() const { return blank_; }

    // Number of records, re-read from the header when others may have appended.
    std::uint32_t recordCount(bool refresh = false);

    // Reads record recno (1-based) into buf (recordLength bytes). Sequential reads
    // are served from a read-ahead block; `fresh` bypasses it.
    void read(std::uint32_t recno, char* buf, bool fresh = false);
    // The record as the file holds it now, read in place through a memory map; nullptr
    // when the record is not in the file or the file cannot be mapped (read() then serves).
    // The pointer stays good until the next peek() or truncate().
    const char* peek(std::uint32_t recno);
    void write(std::uint32_t recno, const char* buf);
    // Appends a record under the header lock and returns its number; 0 when the
    // header lock could not be had (another workstation is appending).
    std::uint32_t append(const char* buf);
    // Keeps the first n records (exclusive use only).
    void truncate(std::uint32_t n);
    void dropReadAhead() { cacheCount_ = 0; }
    // Stamps the header with today's date (done when changes are committed).
    void touchDate();
    void sync();

    // Locks (no-ops return true in exclusive mode).
    bool lockRecord(std::uint32_t recno);
    void unlockRecord(std::uint32_t recno);
    bool lockFile();
    void unlockFile();

private:
    void readHeader(bool full);
    void writeCount(std::uint32_t n);
    [[noreturn]] void ioError(const char* what) const;

    std::string path_;
    OpenMode mode_;
    int fd_ = -1;
    std::vector<FieldInfo> fields_;
    std::uint32_t headerLength_ = 0;
    std::uint32_t recordLength_ = 0;
    std::uint32_t count_ = 0;
    std::string blank_;
    bool modified_ = false;

    std::vector<char> cache_;
    std::uint32_t cacheFirst_ = 0;
    std::uint32_t cacheCount_ = 0;
    std::chrono::steady_clock::time_point cacheTime_;

    void unmap();
    const char* map_ = nullptr;
    std::size_t mapLength_ = 0;
    bool mapFailed_ = false;
};

}  // namespace store
