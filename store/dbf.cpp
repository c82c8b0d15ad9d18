#include "store/dbf.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cctype>
#include <cstring>
#include <ctime>
#include <thread>

#include "store/error.h"
#include "store/fileio.h"
#include "store/lock.h"

namespace store {
using namespace fileio;
namespace {

constexpr std::size_t kReadAheadBytes = 64 * 1024;
constexpr auto kSharedCacheLife = std::chrono::milliseconds(100);


void stampToday(unsigned char* p) {
    std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    p[0] = static_cast<unsigned char>(tm.tm_year % 256);  // years since 1900
    p[1] = static_cast<unsigned char>(tm.tm_mon + 1);
    p[2] = static_cast<unsigned char>(tm.tm_mday);
}

std::string upper(std::string_view s) {
    std::string r(s);
    for (char& c : r)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    return r;
}



std::string validName(const FieldDef& f) {
    if (f.name.empty() || f.name.size() > 10) return "el nombre debe tener de 1 a 10 caracteres";
    for (char c : f.name)
        if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '_')) return "el nombre solo admite letras, dígitos y _";
    switch (f.type) {
        case Type::Char:
            if (f.length < 1 || f.length > 65535) return "ancho de texto fuera de rango";
            break;
        case Type::Num:
            if (f.length < 1 || f.length > 20) return "ancho numérico fuera de rango (1 a 20)";
            if (f.decimals < 0 || (f.decimals > 0 && f.decimals > f.length - 2)) return "decimales fuera de rango";
            break;
        case Type::Date:
            if (f.length != 8) return "una fecha ocupa 8 caracteres";
            break;
        case Type::Logic:
            if (f.length != 1) return "un lógico ocupa 1 carácter";
            break;
    }
    return {};
}

}  // namespace

// ---------------------------------------------------------------- field codec

namespace fieldcodec {

std::string_view readText(const FieldInfo& f, const char* record) { return {record + f.offset, f.length}; }

Decimal readNum(const FieldInfo& f, const char* record) {
    // The usual field text ("   -1234.50") is read directly; anything unusual goes
    // through the general parser.
    const char* p = record + f.offset;
    const char* end = p + f.length;
    if (f.length <= 18) {
        while (p < end && *p == ' ') ++p;
        bool neg = p < end && *p == '-';
        if (neg) ++p;
        std::int64_t units = 0;
        int scale = 0;
        bool point = false, digits = false, plain = true;
        for (; p < end; ++p) {
            char c = *p;
            if (c >= '0' && c <= '9') {
                units = units * 10 + (c - '0');
                scale += point;
                digits = true;
            } else if (c == '.' && !point) {
                point = true;
            } else {
                plain = false;
                break;
            }
        }
        if (plain) {
            if (!digits) return Decimal();
            Decimal d = Decimal::fromUnits(neg ? -units : units, scale);
            return scale > f.decimals ? d.rounded(f.decimals) : d;
        }
    }
    // A value another program could not store ("*****") reads as zero, as in other xBase engines.
    return Decimal::parse(readText(f, record)).value_or(Decimal()).rounded(f.decimals);
}

Date readDate(const FieldInfo& f, const char* record) {
    return Date::fromDtos(readText(f, record)).value_or(Date());
}

bool readLogic(const FieldInfo& f, const char* record) {
    char c = record[f.offset];
    return c == 'T' || c == 't' || c == 'Y' || c == 'y';
}

Value read(const FieldInfo& f, const char* record) {
    switch (f.type) {
        case Type::Char: return Value(readText(f, record));
        case Type::Num: return Value(readNum(f, record));
        case Type::Date: return Value(readDate(f, record));
        case Type::Logic: return Value(readLogic(f, record));
    }
    return {};
}

std::string formatNum(const Decimal& n, int width, int decimals) {
    std::string s = n.toFixed(decimals);
    if (static_cast<int>(s.size()) > width) return {};
    return std::string(static_cast<std::size_t>(width) - s.size(), ' ') + s;
}

void writeText(const FieldInfo& f, char* record, std::string_view text) {
    char* p = record + f.offset;
    std::size_t n = text.size() < f.length ? text.size() : f.length;
    std::memcpy(p, text.data(), n);
    std::memset(p + n, ' ', f.length - n);
}

void writeNum(const FieldInfo& f, char* record, const Decimal& n, const std::string& where) {
    std::string s = formatNum(n, f.length, f.decimals);
    if (s.empty())
        throw StoreError(ErrorKind::Overflow, "El número " + n.toString() + " no cabe en el campo " + f.name + " (" +
                                                  std::to_string(f.length) + "," + std::to_string(f.decimals) +
                                                  ") de " + where);
    std::memcpy(record + f.offset, s.data(), f.length);
}

void write(const FieldInfo& f, char* record, const Value& v, const std::string& where) {
    if (v.type() != f.type)
        throw StoreError(ErrorKind::Type, std::string("El campo ") + f.name + " de " + where + " es de tipo " +
                                              typeName(f.type) + " y recibió un valor de tipo " + typeName(v.type()));
    switch (f.type) {
        case Type::Char: writeText(f, record, v.text()); break;
        case Type::Num: writeNum(f, record, v.num(), where); break;
        case Type::Date: v.date().dtosInto(record + f.offset); break;
        case Type::Logic: record[f.offset] = v.logic() ? 'T' : 'F'; break;
    }
}

}  // namespace fieldcodec

// ---------------------------------------------------------------- table file

void DbfFile::create(const std::string& path, const std::vector<FieldDef>& fields) {
    if (fields.empty() || fields.size() > 1024)
        throw StoreError(ErrorKind::Usage, "Una tabla necesita de 1 a 1024 campos: " + path);
    std::vector<unsigned char> h(32 + 32 * fields.size() + 2, 0);
    std::uint32_t recLen = 1;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const FieldDef& f = fields[i];
        std::string why = validName(f);
        for (std::size_t j = 0; j < i && why.empty(); ++j)
            if (upper(fields[j].name) == upper(f.name)) why = "nombre repetido";
        if (!why.empty())
            throw StoreError(ErrorKind::Usage, "Campo " + f.name + " inválido para " + path + ": " + why);
        unsigned char* d = &h[32 + 32 * i];
        std::string name = upper(f.name);
        std::memcpy(d, name.data(), name.size());
        d[11] = static_cast<unsigned char>(f.type);
        d[16] = static_cast<unsigned char>(f.length & 0xFF);
        d[17] = static_cast<unsigned char>(f.type == Type::Char ? f.length >> 8 : f.decimals);
        recLen += static_cast<std::uint32_t>(f.length);
    }
    if (recLen > 65535) throw StoreError(ErrorKind::Usage, "Registro demasiado largo para " + path);
    h[0] = 0x03;
    stampToday(&h[1]);
    put32(&h[4], 0);
    put16(&h[8], static_cast<std::uint32_t>(32 + 32 * fields.size() + 1));
    put16(&h[10], recLen);
    h[32 + 32 * fields.size()] = 0x0D;
    h[32 + 32 * fields.size() + 1] = 0x1A;

    // Refuse to replace a table that another opener is using.
    int probe = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (probe >= 0) {
        bool free = lock::tryLock(probe, lock::kShareByte, 1, lock::Kind::Write);
        ::close(probe);
        if (!free) throw StoreError(ErrorKind::Exclusive, "La tabla " + path + " está en uso y no se puede recrear");
    }
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) throw StoreError(ErrorKind::Io, "No se pudo crear " + path + ": " + std::strerror(errno));
    bool ok = writeAll(fd, h.data(), h.size(), 0);
    int err = errno;
    ::close(fd);
    if (!ok) {
        ::unlink(path.c_str());
        throw StoreError(ErrorKind::Io, "No se pudo escribir " + path + ": " + std::strerror(err));
    }
}

DbfFile::DbfFile(const std::string& path, OpenMode mode, bool companion) : path_(path), mode_(mode) {
    int flags = (mode == OpenMode::ReadOnly ? O_RDONLY : O_RDWR) | O_CLOEXEC;
    fd_ = ::open(path.c_str(), flags);
    if (fd_ < 0) {
        int err = errno;
        if (err == ENOENT) throw StoreError(ErrorKind::NotFound, "No existe la tabla " + path);
        throw StoreError(ErrorKind::Io, "No se pudo abrir " + path + ": " + std::strerror(err));
    }
    bool granted = companion || lock::tryLock(fd_, lock::kShareByte, 1,
                                              mode == OpenMode::Exclusive ? lock::Kind::Write : lock::Kind::Read);
    if (!granted) {
        ::close(fd_);
        fd_ = -1;
        throw StoreError(ErrorKind::Exclusive,
                         mode == OpenMode::Exclusive ? "La tabla " + path + " está abierta en otra estación"
                                                     : "La tabla " + path + " está abierta en forma exclusiva en otra estación");
    }
    try {
        readHeader(true);
    } catch (...) {
        ::close(fd_);
        fd_ = -1;
        throw;
    }
}

DbfFile::~DbfFile() {
    unmap();
    if (fd_ >= 0) {
        if (modified_ && mode_ != OpenMode::ReadOnly) touchDate();
        ::close(fd_);  // closing releases every lock held through this file
    }
}

void DbfFile::ioError(const char* what) const {
    int err = errno;
    std::string msg = std::string(what) + " " + path_ + ": " + std::strerror(err);
    if (err == ENOSPC) msg += " (disco lleno)";
    throw StoreError(ErrorKind::Io, msg);
}

void DbfFile::readHeader(bool full) {
    unsigned char h[32];
    ssize_t n = readAll(fd_, h, 32, 0);
    if (n < 0) ioError("No se pudo leer");
    if (n < 32) throw StoreError(ErrorKind::Damaged, "La tabla " + path_ + " está dañada: cabecera incompleta");
    if (!full) {
        count_ = get32(h + 4);
        return;
    }
    if (h[0] != 0x03 && h[0] != 0x83)
        throw StoreError(ErrorKind::Damaged, "El archivo " + path_ + " no es una tabla dBASE III (versión " +
                                                 std::to_string(h[0]) + ")");
    count_ = get32(h + 4);
    headerLength_ = get16(h + 8);
    recordLength_ = get16(h + 10);
    if (headerLength_ < 33 + 32 || recordLength_ < 2)
        throw StoreError(ErrorKind::Damaged, "La tabla " + path_ + " está dañada: longitudes de cabecera inválidas");
    std::vector<unsigned char> desc(headerLength_);
    if (readAll(fd_, desc.data(), headerLength_, 0) != static_cast<ssize_t>(headerLength_))
        throw StoreError(ErrorKind::Damaged, "La tabla " + path_ + " está dañada: cabecera truncada");
    fields_.clear();
    std::uint32_t offset = 1;
    std::size_t pos = 32;
    for (; pos + 32 <= headerLength_ && desc[pos] != 0x0D; pos += 32) {
        const unsigned char* d = &desc[pos];
        FieldInfo f;
        std::size_t len = 0;
        while (len < 11 && d[len] != 0) ++len;
        f.name = upper(std::string_view(reinterpret_cast<const char*>(d), len));
        while (!f.name.empty() && f.name.back() == ' ') f.name.pop_back();
        char t = static_cast<char>(d[11]);
        if (t == 'F') t = 'N';
        if (t == 'M') t = 'C';  // memo block numbers are shown as text; no memo file is read
        if (t != 'C' && t != 'N' && t != 'D' && t != 'L')
            throw StoreError(ErrorKind::Damaged, "La tabla " + path_ + " tiene un campo " + f.name +
                                                     " de tipo no admitido '" + std::string(1, t) + "'");
        f.type = static_cast<Type>(t);
        f.length = d[16];
        f.decimals = d[17];
        if (f.type == Type::Char) {
            f.length = static_cast<std::uint16_t>(d[16] | (d[17] << 8));
            f.decimals = 0;
        }
        if (f.name.empty() || f.length == 0)
            throw StoreError(ErrorKind::Damaged, "La tabla " + path_ + " está dañada: descriptor de campo inválido");
        f.offset = static_cast<std::uint16_t>(offset);
        offset += f.length;
        fields_.push_back(f);
    }
    if (fields_.empty() || pos >= headerLength_ || desc[pos] != 0x0D)
        throw StoreError(ErrorKind::Damaged, "La tabla " + path_ + " está dañada: falta el fin de la lista de campos");
    if (offset != recordLength_)
        throw StoreError(ErrorKind::Damaged, "La tabla " + path_ + " está dañada: la longitud de registro (" +
                                                 std::to_string(recordLength_) + ") no coincide con sus campos (" +
                                                 std::to_string(offset) + ")");
    struct stat st;
    if (::fstat(fd_, &st) != 0) ioError("No se pudo examinar");
    std::uint64_t need = headerLength_ + static_cast<std::uint64_t>(count_) * recordLength_;
    if (static_cast<std::uint64_t>(st.st_size) < need)
        throw StoreError(ErrorKind::Damaged, "La tabla " + path_ + " está dañada: la cabecera indica " +
                                                 std::to_string(count_) + " registros pero el archivo contiene " +
                                                 std::to_string((st.st_size - headerLength_) / recordLength_));
    blank_.assign(recordLength_, ' ');
}

int DbfFile::fieldIndex(std::string_view name) const {
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        const std::string& f = fields_[i].name;
        if (f.size() != name.size()) continue;
        bool eq = true;
        for (std::size_t k = 0; k < f.size() && eq; ++k) {
            char c = name[k];
            if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
            eq = c == f[k];
        }
        if (eq) return static_cast<int>(i);
    }
    return -1;
}

std::uint32_t DbfFile::recordCount(bool refresh) {
    if (refresh && shared()) {
        std::uint32_t old = count_;
        readHeader(false);
        if (count_ < old) cacheCount_ = 0;
    }
    return count_;
}

void DbfFile::read(std::uint32_t recno, char* buf, bool fresh) {
    // Others may change a shared table at any moment: what was read ahead serves only
    // for a short while.
    if (shared() && cacheCount_ > 0 && std::chrono::steady_clock::now() - cacheTime_ > kSharedCacheLife)
        cacheCount_ = 0;
    if (!fresh && recno >= cacheFirst_ && recno < cacheFirst_ + cacheCount_) {
        std::memcpy(buf, cache_.data() + static_cast<std::size_t>(recno - cacheFirst_) * recordLength_, recordLength_);
        return;
    }
    bool sequential = !fresh && cacheCount_ > 0 && recno == cacheFirst_ + cacheCount_;
    std::uint32_t want = 1;
    if (sequential) {
        std::uint32_t per = static_cast<std::uint32_t>(kReadAheadBytes / recordLength_);
        if (per < 1) per = 1;
        std::uint32_t left = count_ >= recno ? count_ - recno + 1 : 1;
        want = per < left ? per : left;
    }
    cache_.resize(static_cast<std::size_t>(want) * recordLength_);
    off_t at = static_cast<off_t>(headerLength_) + static_cast<off_t>(recno - 1) * recordLength_;
    ssize_t n = readAll(fd_, cache_.data(), cache_.size(), at);
    if (n < 0) ioError("No se pudo leer");
    std::uint32_t got = static_cast<std::uint32_t>(n / recordLength_);
    if (got == 0) {
        cacheCount_ = 0;
        throw StoreError(ErrorKind::Damaged, "La tabla " + path_ + " está dañada: falta el registro " +
                                                 std::to_string(recno));
    }
    cacheFirst_ = recno;
    cacheCount_ = got;
    cacheTime_ = std::chrono::steady_clock::now();
    std::memcpy(buf, cache_.data(), recordLength_);
}

void DbfFile::unmap() {
    if (map_) ::munmap(const_cast<char*>(map_), mapLength_);
    map_ = nullptr;
    mapLength_ = 0;
}

const char* DbfFile::peek(std::uint32_t recno) {
    if (recno == 0 || mapFailed_) return nullptr;
    std::size_t end = headerLength_ + static_cast<std::size_t>(recno) * recordLength_;
    if (end > mapLength_) {
        // the file grew (our appends or another workstation's): map it again
        struct stat st;
        if (::fstat(fd_, &st) != 0 || static_cast<std::size_t>(st.st_size) < end) return nullptr;
        unmap();
        void* m = ::mmap(nullptr, static_cast<std::size_t>(st.st_size), PROT_READ, MAP_SHARED, fd_, 0);
        if (m == MAP_FAILED) {
            mapFailed_ = true;
            return nullptr;
        }
        map_ = static_cast<const char*>(m);
        mapLength_ = static_cast<std::size_t>(st.st_size);
    }
    return map_ + headerLength_ + static_cast<std::size_t>(recno - 1) * recordLength_;
}

void DbfFile::write(std::uint32_t recno, const char* buf) {
    off_t at = static_cast<off_t>(headerLength_) + static_cast<off_t>(recno - 1) * recordLength_;
    if (!writeAll(fd_, buf, recordLength_, at)) ioError("No se pudo grabar en");
    if (recno >= cacheFirst_ && recno < cacheFirst_ + cacheCount_)
        std::memcpy(cache_.data() + static_cast<std::size_t>(recno - cacheFirst_) * recordLength_, buf, recordLength_);
    modified_ = true;
}

void DbfFile::writeCount(std::uint32_t n) {
    unsigned char h[7];
    stampToday(h);
    put32(h + 3, n);
    if (!writeAll(fd_, h, 7, 1)) ioError("No se pudo grabar la cabecera de");
}

std::uint32_t DbfFile::append(const char* buf) {
    bool locked = false;
    if (shared()) {
        // The header lock is held only for the moment of an append; wait briefly for it.
        for (int attempt = 0; attempt < 50 && !locked; ++attempt) {
            locked = lock::tryLock(fd_, lock::kBase, 1, lock::Kind::Write);
            if (!locked) std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        if (!locked) return 0;
        readHeader(false);
    }
    std::uint32_t recno = count_ + 1;
    std::vector<char> out(recordLength_ + 1);
    std::memcpy(out.data(), buf, recordLength_);
    out[recordLength_] = 0x1A;
    off_t at = static_cast<off_t>(headerLength_) + static_cast<off_t>(count_) * recordLength_;
    bool ok = writeAll(fd_, out.data(), out.size(), at);
    if (ok) {
        try {
            writeCount(recno);
        } catch (...) {
            ok = false;
        }
    }
    if (!ok) {
        int err = errno;
        // Leave the file as it was: drop the partial record, keep the end marker.
        if (::ftruncate(fd_, at) == 0) {
            char eof = 0x1A;
            writeAll(fd_, &eof, 1, at);
        }
        if (locked) lock::unlock(fd_, lock::kBase, 1);
        errno = err;
        ioError("No se pudo agregar un registro a");
    }
    count_ = recno;
    modified_ = true;
    if (locked) lock::unlock(fd_, lock::kBase, 1);
    return recno;
}

void DbfFile::truncate(std::uint32_t n) {
    unmap();  // what lay past the new end must not be read through the map
    off_t end = static_cast<off_t>(headerLength_) + static_cast<off_t>(n) * recordLength_;
    char eof = 0x1A;
    if (!writeAll(fd_, &eof, 1, end) || ::ftruncate(fd_, end + 1) != 0) ioError("No se pudo recortar");
    writeCount(n);
    count_ = n;
    cacheCount_ = 0;
    modified_ = true;
}

void DbfFile::touchDate() {
    unsigned char d[3];
    stampToday(d);
    writeAll(fd_, d, 3, 1);
}

void DbfFile::sync() {
    if (modified_) touchDate();
    ::fdatasync(fd_);
}

bool DbfFile::lockRecord(std::uint32_t recno) {
    if (!shared()) return true;
    return lock::tryLock(fd_, lock::recordByte(recno), 1, lock::Kind::Write);
}

void DbfFile::unlockRecord(std::uint32_t recno) {
    if (shared()) lock::unlock(fd_, lock::recordByte(recno), 1);
}

bool DbfFile::lockFile() {
    if (!shared()) return true;
    return lock::tryLock(fd_, lock::kFileStart, lock::kFileLength, lock::Kind::Write);
}

void DbfFile::unlockFile() {
    if (shared()) lock::unlock(fd_, lock::kFileStart, lock::kFileLength);
}

}  // namespace store
