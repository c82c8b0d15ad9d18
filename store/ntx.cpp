#include "store/ntx.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <numeric>

#include "store/error.h"
#include "store/fileio.h"
#include "store/lock.h"

namespace store {
using namespace fileio;
namespace {


std::uint16_t maxKeysFor(std::uint16_t keySize) {
    int m = static_cast<int>((NtxIndex::kPageSize - 2) / (keySize + 10u)) - 1;
    if (m % 2) --m;
    return static_cast<std::uint16_t>(m);
}



void fillHeader(unsigned char* h, const std::string& keyExpr, const std::string& forExpr, std::uint16_t version,
                std::uint32_t root, std::uint32_t freeHead, std::uint16_t keySize, std::uint16_t keyDec,
                const std::string& tag) {
    std::memset(h, 0, NtxIndex::kPageSize);
    std::uint16_t maxKeys = maxKeysFor(keySize);
    put16(h + 0, forExpr.empty() ? 0x0006 : 0x0007);
    put16(h + 2, version);
    put32(h + 4, root);
    put32(h + 8, freeHead);
    put16(h + 12, keySize + 8u);
    put16(h + 14, keySize);
    put16(h + 16, keyDec);
    put16(h + 18, maxKeys);
    put16(h + 20, maxKeys / 2u);
    std::memcpy(h + 22, keyExpr.data(), std::min(keyExpr.size(), NtxIndex::kMaxExpr));
    std::memcpy(h + 282, forExpr.data(), std::min(forExpr.size(), NtxIndex::kMaxExpr));
    std::memcpy(h + 538, tag.data(), std::min<std::size_t>(tag.size(), 11));
}

std::string tagName(const std::string& path) {
    std::size_t slash = path.find_last_of('/');
    std::string base = path.substr(slash == std::string::npos ? 0 : slash + 1);
    std::size_t dot = base.find_last_of('.');
    if (dot != std::string::npos) base.resize(dot);
    for (char& c : base)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    return base;
}

}  // namespace

// A shared lock on the index for the length of one navigation.
class NtxIndex::ReadGuard {
public:
    explicit ReadGuard(NtxIndex& ix) : ix_(ix) {
        if (ix_.shared_ && ix_.updateDepth_ == 0) {
            lock::waitLock(ix_.fd_, lock::kBase, 1, lock::Kind::Read);
            held_ = true;
            try {
                ix_.refreshIfChanged();
            } catch (...) {
                lock::unlock(ix_.fd_, lock::kBase, 1);
                throw;
            }
        }
    }
    ~ReadGuard() {
        if (held_) lock::unlock(ix_.fd_, lock::kBase, 1);
    }

private:
    NtxIndex& ix_;
    bool held_ = false;
};

// ---------------------------------------------------------------- build

void NtxIndex::build(const std::string& path, const std::string& keyExpr, const std::string& forExpr,
                     std::uint16_t keySize, std::uint16_t keyDec, const std::vector<char>& keys,
                     const std::vector<std::uint32_t>& recnos) {
    if (keySize == 0 || keySize > 250)
        throw StoreError(ErrorKind::Expression, "La clave " + keyExpr + " tiene un largo no admitido (" +
                                                    std::to_string(keySize) + ")");
    if (keyExpr.size() > kMaxExpr || forExpr.size() > kMaxExpr)
        throw StoreError(ErrorKind::Expression, "Expresión de índice demasiado larga: " + keyExpr);
    const std::size_t n = recnos.size();
    // Sort by key, then record number. The first eight key bytes, read big-endian,
    // settle most comparisons without touching the key buffer.
    struct Item {
        std::uint64_t head;
        std::uint32_t idx;
    };
    std::vector<Item> items(n);
    for (std::size_t i = 0; i < n; ++i) {
        std::uint64_t h = 0;
        const unsigned char* k = reinterpret_cast<const unsigned char*>(keys.data() + i * keySize);
        for (int b = 0; b < 8; ++b) h = (h << 8) | (b < keySize ? k[b] : 0);
        items[i] = {h, static_cast<std::uint32_t>(i)};
    }
    const char* kb = keys.data();
    std::sort(items.begin(), items.end(), [&](const Item& a, const Item& b) {
        if (a.head != b.head) return a.head < b.head;
        if (keySize > 8) {
            int c = std::memcmp(kb + std::size_t(a.idx) * keySize + 8, kb + std::size_t(b.idx) * keySize + 8,
                                keySize - 8u);
            if (c != 0) return c < 0;
        }
        return recnos[a.idx] < recnos[b.idx];
    });

    const std::uint16_t maxKeys = maxKeysFor(keySize);
    const std::uint16_t itemSize = keySize + 8;
    std::vector<unsigned char> out(kPageSize);  // header page filled at the end
    auto writeNode = [&](const Node& node) {
        std::uint32_t off = static_cast<std::uint32_t>(out.size());
        out.resize(out.size() + kPageSize, 0);
        unsigned char* p = out.data() + off;
        put16(p, static_cast<std::uint32_t>(node.n));
        std::uint32_t base = 2 + 2u * (maxKeys + 1u);
        for (int i = 0; i <= maxKeys; ++i) put16(p + 2 + 2 * i, base + static_cast<std::uint32_t>(i) * itemSize);
        for (int i = 0; i <= node.n; ++i) {
            unsigned char* it = p + base + static_cast<std::uint32_t>(i) * itemSize;
            put32(it, node.kids.empty() ? 0 : node.kids[i]);
            if (i < node.n) {
                put32(it + 4, node.recs[i]);
                std::memcpy(it + 8, node.keys.data() + std::size_t(i) * keySize, keySize);
            }
        }
        return off;
    };
    std::vector<Node> levels(1);
    auto append = [&](Node& node, const char* key, std::uint32_t recno, std::uint32_t leftKid, bool leaf) {
        node.keys.insert(node.keys.end(), key, key + keySize);
        node.recs.push_back(recno);
        if (!leaf) node.kids.push_back(leftKid);
        ++node.n;
    };
    for (const Item& it : items) {
        const char* key = kb + std::size_t(it.idx) * keySize;
        std::uint32_t recno = recnos[it.idx];
        std::size_t level = 0;
        std::uint32_t leftKid = 0;
        for (;;) {
            Node& node = levels[level];
            if (node.n < maxKeys) {
                append(node, key, recno, leftKid, level == 0);
                break;
            }
            // Full: close this node; the entry goes one level up as a separator.
            if (level > 0) node.kids.push_back(leftKid);
            leftKid = writeNode(node);
            node = Node();
            ++level;
            if (level == levels.size()) levels.emplace_back();
        }
    }
    std::uint32_t child = 0;
    for (std::size_t level = 0; level < levels.size(); ++level) {
        Node& node = levels[level];
        if (level > 0) node.kids.push_back(child);
        child = writeNode(node);
    }
    fillHeader(out.data(), keyExpr, forExpr, 1, child, 0, keySize, keyDec, tagName(path));

    std::string tmp = path + ".tmp";
    int fd = ::open(tmp.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) throw StoreError(ErrorKind::Io, "No se pudo crear el índice " + path + ": " + std::strerror(errno));
    // Written in moderate pieces: one huge write leaves the file's cached pages in large
    // blocks, and every later 1 KB page update then costs several times more.
    bool ok = true;
    constexpr std::size_t kChunk = 64 * 1024;
    for (std::size_t at = 0; ok && at < out.size(); at += kChunk)
        ok = writeAll(fd, out.data() + at, std::min(kChunk, out.size() - at), static_cast<off_t>(at));
    int err = errno;
    ::close(fd);
    if (!ok || ::rename(tmp.c_str(), path.c_str()) != 0) {
        if (ok) err = errno;
        ::unlink(tmp.c_str());
        throw StoreError(ErrorKind::Io, "No se pudo grabar el índice " + path + ": " + std::strerror(err));
    }
}

// ---------------------------------------------------------------- open

NtxIndex::NtxIndex(const std::string& path, bool shared) : path_(path), shared_(shared) {
    fd_ = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (fd_ < 0 && (errno == EACCES || errno == EROFS)) fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);  // read only
    if (fd_ < 0) {
        int err = errno;
        if (err == ENOENT) throw StoreError(ErrorKind::NotFound, "No existe el índice " + path);
        throw StoreError(ErrorKind::Io, "No se pudo abrir el índice " + path + ": " + std::strerror(err));
    }
    try {
        if (shared_) lock::waitLock(fd_, lock::kBase, 1, lock::Kind::Read);
        readHeader();
        if (shared_) lock::unlock(fd_, lock::kBase, 1);
    } catch (...) {
        ::close(fd_);
        throw;
    }
}

NtxIndex::~NtxIndex() {
    if (fd_ >= 0) ::close(fd_);
}

void NtxIndex::damaged(const std::string& what) const {
    throw StoreError(ErrorKind::Damaged, "El índice " + path_ + " está dañado (" + what +
                                             "); vuelva a generar los índices");
}

void NtxIndex::readHeader() {
    unsigned char h[kPageSize];
    if (!readExactly(fd_, h, kPageSize, 0)) damaged("cabecera incompleta");
    std::uint16_t sig = get16(h);
    if (sig != 0x0006 && sig != 0x0007 && sig != 0x0003 && sig != 0x0004) damaged("firma desconocida");
    version_ = get16(h + 2);
    root_ = get32(h + 4);
    freeHead_ = get32(h + 8);
    itemSize_ = get16(h + 12);
    keySize_ = get16(h + 14);
    keyDec_ = get16(h + 16);
    maxKeys_ = get16(h + 18);
    half_ = get16(h + 20);
    if (keySize_ == 0 || keySize_ > 250 || itemSize_ != keySize_ + 8 || maxKeys_ < 2 ||
        2u + (maxKeys_ + 1u) * (keySize_ + 10u) > kPageSize)
        damaged("tamaños de clave inválidos");
    if (half_ == 0 || half_ > maxKeys_) half_ = maxKeys_ / 2;
    struct stat st;
    if (::fstat(fd_, &st) != 0) damaged("no se puede examinar");
    fileEnd_ = static_cast<std::uint32_t>(st.st_size);
    if (root_ == 0 || root_ % kPageSize || root_ + kPageSize > fileEnd_) damaged("página raíz inválida");
    auto text = [&](const unsigned char* p) {
        std::size_t n = 0;
        while (n < kMaxExpr && p[n]) ++n;
        return std::string(reinterpret_cast<const char*>(p), n);
    };
    keyExpr_ = text(h + 22);
    forExpr_ = text(h + 282);
    if (keyExpr_.empty()) damaged("sin expresión de clave");
}

void NtxIndex::refreshIfChanged() {
    unsigned char h[2];
    if (!readExactly(fd_, h, 2, 2)) damaged("cabecera ilegible");
    if (get16(h) != version_) {
        cache_.clear();
        cursor_ = {};
        readHeader();
    }
}

void NtxIndex::beginUpdate() {
    if (updateDepth_++ > 0) return;
    if (shared_) {
        lock::waitLock(fd_, lock::kBase, 1, lock::Kind::Write);
        try {
            refreshIfChanged();
        } catch (...) {
            --updateDepth_;
            lock::unlock(fd_, lock::kBase, 1);
            throw;
        }
    }
}

void NtxIndex::endUpdate() {
    if (--updateDepth_ > 0) return;
    try {
        writeBack();
    } catch (...) {
        if (shared_) lock::unlock(fd_, lock::kBase, 1);
        throw;
    }
    if (shared_) lock::unlock(fd_, lock::kBase, 1);
}

// After a failed change the cached pages may be half changed: drop them, release the
// lock and read the header again, so that the next reader sees the file as it is.
void NtxIndex::abandonUpdate() {
    cache_.clear();
    dirty_.clear();
    cursor_ = {};
    --updateDepth_;
    if (updateDepth_ == 0 && shared_) lock::unlock(fd_, lock::kBase, 1);
    readHeader();
}

void NtxIndex::writeBack() {
    for (std::uint32_t off : dirty_) {
        if (!writeAll(fd_, cache_.at(off).data(), kPageSize, off))
            throw StoreError(ErrorKind::Io, "No se pudo grabar el índice " + path_ + ": " + std::strerror(errno));
    }
    bool any = !dirty_.empty() || headerDirty_;
    dirty_.clear();
    if (!any) return;
    ++version_;
    unsigned char h[10];
    put16(h, version_);
    put32(h + 2, root_);
    put32(h + 6, freeHead_);
    if (!writeAll(fd_, h, sizeof h, 2))
        throw StoreError(ErrorKind::Io, "No se pudo grabar el índice " + path_ + ": " + std::strerror(errno));
    headerDirty_ = false;
}

// ---------------------------------------------------------------- pages

const NtxIndex::Page& NtxIndex::page(std::uint32_t off) {
    auto it = cache_.find(off);
    if (it != cache_.end()) return it->second;
    if (off == 0 || off % kPageSize || off + kPageSize > fileEnd_) damaged("referencia a página " + std::to_string(off));
    Page p;
    if (!readExactly(fd_, p.data(), kPageSize, off)) damaged("página " + std::to_string(off) + " ilegible");
    int n = get16(p.data());
    if (n > maxKeys_) damaged("página " + std::to_string(off) + " con demasiadas claves");
    for (int i = 0; i <= n; ++i) {
        std::uint32_t o = get16(p.data() + 2 + 2 * i);
        if (o < 2 || o + itemSize_ > kPageSize) damaged("página " + std::to_string(off) + " con posiciones inválidas");
    }
    return cache_.emplace(off, p).first->second;
}

NtxIndex::Page& NtxIndex::pageForWrite(std::uint32_t off) {
    page(off);
    dirty_.insert(off);
    return cache_.at(off);
}

int NtxIndex::count(const Page& p) const { return get16(p.data()); }
const unsigned char* NtxIndex::item(const Page& p, int i) const { return p.data() + get16(p.data() + 2 + 2 * i); }
std::uint32_t NtxIndex::kid(const Page& p, int i) const { return get32(item(p, i)); }
std::uint32_t NtxIndex::rec(const Page& p, int i) const { return get32(item(p, i) + 4); }
const char* NtxIndex::keyAt(const Page& p, int i) const { return reinterpret_cast<const char*>(item(p, i) + 8); }

void NtxIndex::copyEntry(const Page& p, int i, IndexPos& out) const {
    out.key.assign(keyAt(p, i), keySize_);
    out.recno = rec(p, i);
}

std::uint32_t NtxIndex::allocPage() {
    std::uint32_t off;
    if (freeHead_ != 0) {
        off = freeHead_;
        freeHead_ = get32(page(off).data());
    } else {
        if (shared_) {  // another workstation may have grown the file since we looked
            struct stat st;
            if (::fstat(fd_, &st) == 0 && static_cast<std::uint32_t>(st.st_size) > fileEnd_)
                fileEnd_ = static_cast<std::uint32_t>(st.st_size);
        }
        off = fileEnd_;
        fileEnd_ += kPageSize;
        cache_[off].fill(0);
    }
    headerDirty_ = true;
    dirty_.insert(off);
    return off;
}

void NtxIndex::freePage(std::uint32_t off) {
    Page& p = pageForWrite(off);
    p.fill(0);
    put32(p.data(), freeHead_);
    freeHead_ = off;
    headerDirty_ = true;
}

NtxIndex::Node NtxIndex::decode(std::uint32_t off) {
    const Page& p = page(off);
    Node node;
    node.n = count(p);
    node.keys.resize(std::size_t(node.n) * keySize_);
    node.recs.resize(node.n);
    node.kids.resize(node.n + 1);
    for (int i = 0; i <= node.n; ++i) {
        node.kids[i] = kid(p, i);
        if (i < node.n) {
            node.recs[i] = rec(p, i);
            std::memcpy(node.keys.data() + std::size_t(i) * keySize_, keyAt(p, i), keySize_);
        }
    }
    return node;
}

void NtxIndex::encode(std::uint32_t off, const Node& node) {
    Page& p = pageForWrite(off);
    p.fill(0);
    put16(p.data(), static_cast<std::uint32_t>(node.n));
    std::uint32_t base = 2 + 2u * (maxKeys_ + 1u);
    for (int i = 0; i <= maxKeys_; ++i) put16(p.data() + 2 + 2 * i, base + static_cast<std::uint32_t>(i) * itemSize_);
    for (int i = 0; i <= node.n; ++i) {
        unsigned char* it = p.data() + base + static_cast<std::uint32_t>(i) * itemSize_;
        put32(it, node.kids.empty() ? 0 : node.kids[i]);
        if (i < node.n) {
            put32(it + 4, node.recs[i]);
            std::memcpy(it + 8, node.keys.data() + std::size_t(i) * keySize_, keySize_);
        }
    }
}

// ---------------------------------------------------------------- search

int NtxIndex::compareFull(const Page& p, int i, const char* key, std::uint32_t recno) const {
    int c = std::memcmp(keyAt(p, i), key, keySize_);
    if (c != 0) return c;
    std::uint32_t r = rec(p, i);
    return r < recno ? -1 : (r > recno ? 1 : 0);
}

// One descent that finds both the first entry for which atOrAfter holds and the
// last entry for which it does not (atOrAfter must be monotonic in index order).
template <class Pred>
void NtxIndex::search(Pred atOrAfter, IndexPos* firstTrue, bool* haveFirst, IndexPos* lastFalse, bool* haveLast) {
    ReadGuard guard(*this);
    searchHeld(atOrAfter, firstTrue, haveFirst, lastFalse, haveLast);
}

// The descent itself, with the read lock already held. Remembers the page and slot of
// the answer it gives, so that the next step along a leaf needs no descent.
template <class Pred>
void NtxIndex::searchHeld(Pred atOrAfter, IndexPos* firstTrue, bool* haveFirst, IndexPos* lastFalse,
                          bool* haveLast) {
    if (haveFirst) *haveFirst = false;
    if (haveLast) *haveLast = false;
    Cursor first, last;
    std::uint32_t off = root_;
    for (int depth = 0; off != 0; ++depth) {
        if (depth > 64) damaged("ciclo entre páginas");
        const Page& p = page(off);
        int lo = 0, hi = count(p);
        while (lo < hi) {
            int mid = (lo + hi) / 2;
            if (atOrAfter(p, mid)) hi = mid;
            else lo = mid + 1;
        }
        std::uint32_t down = kid(p, lo);
        if (lo < count(p) && firstTrue) {
            copyEntry(p, lo, *firstTrue);
            *haveFirst = true;
            first = {down == 0 ? off : 0, lo};
        }
        if (lo > 0 && lastFalse) {
            copyEntry(p, lo - 1, *lastFalse);
            *haveLast = true;
            last = {down == 0 ? off : 0, lo - 1};
        }
        off = down;
    }
    if (firstTrue) cursor_ = *haveFirst ? first : Cursor{};
    else if (lastFalse) cursor_ = *haveLast ? last : Cursor{};
}

// Is the cursor on the entry (key, recno) of a leaf?
bool NtxIndex::cursorOn(const std::string& key, std::uint32_t recno) {
    if (cursor_.page == 0) return false;
    auto it = cache_.find(cursor_.page);
    if (it == cache_.end()) return false;
    const Page& p = it->second;
    return cursor_.index < count(p) && kid(p, 0) == 0 && compareFull(p, cursor_.index, key.data(), recno) == 0;
}

bool NtxIndex::first(IndexPos& out) {
    bool have;
    search([](const Page&, int) { return true; }, &out, &have, nullptr, nullptr);
    return have;
}

bool NtxIndex::last(IndexPos& out) {
    bool have;
    search([](const Page&, int) { return false; }, nullptr, nullptr, &out, &have);
    return have;
}

bool NtxIndex::seekPrefix(const char* key, std::size_t len, bool greater, IndexPos& out) {
    if (len > keySize_) len = keySize_;
    bool have;
    search(
        [&](const Page& p, int i) {
            int c = std::memcmp(keyAt(p, i), key, len);
            return greater ? c > 0 : c >= 0;
        },
        &out, &have, nullptr, nullptr);
    return have;
}

bool NtxIndex::lastAtOrBefore(const char* key, std::size_t len, IndexPos& out) {
    if (len > keySize_) len = keySize_;
    bool have;
    search([&](const Page& p, int i) { return std::memcmp(keyAt(p, i), key, len) > 0; }, nullptr, nullptr, &out,
           &have);
    return have;
}

bool NtxIndex::next(const IndexPos& from, IndexPos& out) {
    std::string key = from.key;  // out may be from itself
    key.resize(keySize_, ' ');
    const std::uint32_t recno = from.recno;
    ReadGuard guard(*this);
    if (cursorOn(key, recno)) {
        const Page& p = cache_.at(cursor_.page);
        if (cursor_.index + 1 < count(p)) {
            copyEntry(p, ++cursor_.index, out);
            if (comparePos(out, key, recno) <= 0) damaged("claves fuera de orden");
            return true;
        }
    }
    bool have;
    searchHeld([&](const Page& p, int i) { return compareFull(p, i, key.data(), recno) > 0; }, &out, &have, nullptr,
               nullptr);
    // In a sound tree the entry found lies after the position; anything else means the
    // pages are out of order, and walking on could go round for ever.
    if (have && comparePos(out, key, recno) <= 0) damaged("claves fuera de orden");
    return have;
}

bool NtxIndex::prev(const IndexPos& from, IndexPos& out) {
    std::string key = from.key;  // out may be from itself
    key.resize(keySize_, ' ');
    const std::uint32_t recno = from.recno;
    ReadGuard guard(*this);
    if (cursorOn(key, recno) && cursor_.index > 0) {
        copyEntry(cache_.at(cursor_.page), --cursor_.index, out);
        if (comparePos(out, key, recno) >= 0) damaged("claves fuera de orden");
        return true;
    }
    bool have;
    searchHeld([&](const Page& p, int i) { return compareFull(p, i, key.data(), recno) >= 0; }, nullptr, nullptr,
               &out, &have);
    if (have && comparePos(out, key, recno) >= 0) damaged("claves fuera de orden");
    return have;
}

int NtxIndex::comparePos(const IndexPos& e, const std::string& key, std::uint32_t recno) const {
    int c = std::memcmp(e.key.data(), key.data(), keySize_);
    if (c != 0) return c;
    return e.recno < recno ? -1 : (e.recno > recno ? 1 : 0);
}

// ---------------------------------------------------------------- update

void NtxIndex::insert(const char* key, std::uint32_t recno) {
    beginUpdate();
    cursor_ = {};
    try {
        std::vector<Step> path;
        std::uint32_t off = root_;
        for (;;) {
            if (path.size() > 64) damaged("ciclo entre páginas");
            const Page& p = page(off);
            int lo = 0, hi = count(p);
            while (lo < hi) {
                int mid = (lo + hi) / 2;
                if (compareFull(p, mid, key, recno) > 0) hi = mid;
                else lo = mid + 1;
            }
            path.push_back({off, lo});
            std::uint32_t k = kid(p, lo);
            if (k == 0) break;
            off = k;
        }
        // Insert into the leaf; split upward while a page overflows.
        std::vector<char> upKey(key, key + keySize_);
        std::uint32_t upRec = recno, upRight = 0;
        for (int level = static_cast<int>(path.size()) - 1;; --level) {
            Node node = decode(path[level].page);
            int at = path[level].index;
            bool leaf = node.leaf();
            node.keys.insert(node.keys.begin() + std::ptrdiff_t(at) * keySize_, upKey.begin(), upKey.end());
            node.recs.insert(node.recs.begin() + at, upRec);
            node.kids.insert(node.kids.begin() + at + 1, leaf ? 0 : upRight);
            ++node.n;
            if (node.n <= maxKeys_) {
                encode(path[level].page, node);
                break;
            }
            int h = node.n / 2;
            Node left, right;
            left.n = h;
            left.keys.assign(node.keys.begin(), node.keys.begin() + std::ptrdiff_t(h) * keySize_);
            left.recs.assign(node.recs.begin(), node.recs.begin() + h);
            left.kids.assign(node.kids.begin(), node.kids.begin() + h + 1);
            right.n = node.n - h - 1;
            right.keys.assign(node.keys.begin() + std::ptrdiff_t(h + 1) * keySize_, node.keys.end());
            right.recs.assign(node.recs.begin() + h + 1, node.recs.end());
            right.kids.assign(node.kids.begin() + h + 1, node.kids.end());
            upKey.assign(node.keys.begin() + std::ptrdiff_t(h) * keySize_,
                         node.keys.begin() + std::ptrdiff_t(h + 1) * keySize_);
            upRec = node.recs[h];
            encode(path[level].page, left);
            upRight = allocPage();
            encode(upRight, right);
            if (level == 0) {
                Node root;
                root.n = 1;
                root.keys = upKey;
                root.recs = {upRec};
                root.kids = {path[0].page, upRight};
                root_ = allocPage();
                encode(root_, root);
                headerDirty_ = true;
                break;
            }
        }
    } catch (...) {
        abandonUpdate();
        throw;
    }
    endUpdate();
}

bool NtxIndex::remove(const char* key, std::uint32_t recno) {
    beginUpdate();
    cursor_ = {};
    bool found = false;
    try {
        std::vector<Step> path;
        std::uint32_t off = root_;
        while (off != 0) {
            if (path.size() > 64) damaged("ciclo entre páginas");
            const Page& p = page(off);
            int lo = 0, hi = count(p);
            while (lo < hi) {
                int mid = (lo + hi) / 2;
                if (compareFull(p, mid, key, recno) >= 0) hi = mid;
                else lo = mid + 1;
            }
            path.push_back({off, lo});
            if (lo < count(p) && compareFull(p, lo, key, recno) == 0) {
                found = true;
                break;
            }
            off = kid(p, lo);
        }
        if (found) {
            Step hit = path.back();
            Node node = decode(hit.page);
            if (node.leaf()) {
                node.keys.erase(node.keys.begin() + std::ptrdiff_t(hit.index) * keySize_,
                                node.keys.begin() + std::ptrdiff_t(hit.index + 1) * keySize_);
                node.recs.erase(node.recs.begin() + hit.index);
                node.kids.pop_back();
                --node.n;
                encode(hit.page, node);
            } else {
                // Replace with the predecessor, the last entry of the left subtree's rightmost leaf.
                std::uint32_t down = node.kids[hit.index];
                for (;;) {
                    const Page& p = page(down);
                    path.push_back({down, count(p)});
                    std::uint32_t k = kid(p, count(p));
                    if (k == 0) break;
                    down = k;
                }
                Node leaf = decode(down);
                std::memcpy(node.keys.data() + std::size_t(hit.index) * keySize_,
                            leaf.keys.data() + std::size_t(leaf.n - 1) * keySize_, keySize_);
                node.recs[hit.index] = leaf.recs[leaf.n - 1];
                encode(hit.page, node);
                leaf.keys.resize(std::size_t(leaf.n - 1) * keySize_);
                leaf.recs.pop_back();
                leaf.kids.pop_back();
                --leaf.n;
                encode(down, leaf);
                path.back().index = leaf.n;
            }
            rebalance(path);
        }
    } catch (...) {
        abandonUpdate();
        throw;
    }
    endUpdate();
    return found;
}

// Restores the minimum fill along the path after a removal from its last page.
// path[i].index is the child taken from page i toward page i + 1.
void NtxIndex::rebalance(std::vector<Step>& path) {
    for (std::size_t d = path.size() - 1; d > 0; --d) {
        Node node = decode(path[d].page);
        if (node.n >= half_) return;
        std::uint32_t parentOff = path[d - 1].page;
        Node parent = decode(parentOff);
        int idx = path[d - 1].index;
        auto keyOf = [&](Node& nd, int i) { return nd.keys.begin() + std::ptrdiff_t(i) * keySize_; };
        if (idx > 0) {
            std::uint32_t leftOff = parent.kids[idx - 1];
            Node left = decode(leftOff);
            if (left.n > half_) {  // borrow through the parent from the left sibling
                node.keys.insert(node.keys.begin(), keyOf(parent, idx - 1), keyOf(parent, idx));
                node.recs.insert(node.recs.begin(), parent.recs[idx - 1]);
                node.kids.insert(node.kids.begin(), left.kids[left.n]);
                ++node.n;
                std::copy(keyOf(left, left.n - 1), keyOf(left, left.n), keyOf(parent, idx - 1));
                parent.recs[idx - 1] = left.recs[left.n - 1];
                left.keys.resize(std::size_t(left.n - 1) * keySize_);
                left.recs.pop_back();
                left.kids.pop_back();
                --left.n;
                encode(leftOff, left);
                encode(path[d].page, node);
                encode(parentOff, parent);
                return;
            }
        }
        if (idx < parent.n) {
            std::uint32_t rightOff = parent.kids[idx + 1];
            Node right = decode(rightOff);
            if (right.n > half_) {  // borrow from the right sibling
                node.keys.insert(node.keys.end(), keyOf(parent, idx), keyOf(parent, idx + 1));
                node.recs.push_back(parent.recs[idx]);
                node.kids.push_back(right.kids[0]);
                ++node.n;
                std::copy(keyOf(right, 0), keyOf(right, 1), keyOf(parent, idx));
                parent.recs[idx] = right.recs[0];
                right.keys.erase(right.keys.begin(), right.keys.begin() + keySize_);
                right.recs.erase(right.recs.begin());
                right.kids.erase(right.kids.begin());
                --right.n;
                encode(rightOff, right);
                encode(path[d].page, node);
                encode(parentOff, parent);
                return;
            }
        }
        // Merge with a sibling: left part + separator + right part.
        int sep = idx > 0 ? idx - 1 : idx;
        std::uint32_t leftOff = parent.kids[sep], rightOff = parent.kids[sep + 1];
        Node left = sep == idx ? node : decode(leftOff);
        Node right = sep == idx ? decode(rightOff) : node;
        left.keys.insert(left.keys.end(), keyOf(parent, sep), keyOf(parent, sep + 1));
        left.recs.push_back(parent.recs[sep]);
        left.keys.insert(left.keys.end(), right.keys.begin(), right.keys.end());
        left.recs.insert(left.recs.end(), right.recs.begin(), right.recs.end());
        left.kids.insert(left.kids.end(), right.kids.begin(), right.kids.end());
        left.n += 1 + right.n;
        encode(leftOff, left);
        freePage(rightOff);
        parent.keys.erase(keyOf(parent, sep), keyOf(parent, sep + 1));
        parent.recs.erase(parent.recs.begin() + sep);
        parent.kids.erase(parent.kids.begin() + sep + 1);
        --parent.n;
        if (d - 1 == 0 && parent.n == 0) {  // the root emptied: its only child becomes the root
            freePage(parentOff);
            root_ = leftOff;
            headerDirty_ = true;
            return;
        }
        encode(parentOff, parent);
    }
}

// ---------------------------------------------------------------- verify

std::vector<IndexPos> NtxIndex::verify() {
    ReadGuard guard(*this);
    std::vector<IndexPos> out;
    int leafDepth = -1;
    std::unordered_set<std::uint32_t> seen{root_};
    struct Frame {
        std::uint32_t off;
        int i;
        int depth;
        bool descended;
    };
    std::vector<Frame> stack{{root_, 0, 0, false}};
    while (!stack.empty()) {
        Frame& f = stack.back();
        const Page& p = page(f.off);
        int n = count(p);
        if (!f.descended) {
            if (f.i == 0) {
                int zeros = 0;
                for (int i = 0; i <= n; ++i) zeros += kid(p, i) == 0;
                if (zeros != 0 && zeros != n + 1) damaged("página " + std::to_string(f.off) + " mezcla hojas y ramas");
                if (zeros) {
                    if (leafDepth < 0) leafDepth = f.depth;
                    else if (leafDepth != f.depth) damaged("hojas a distinta profundidad");
                }
            }
            f.descended = true;
            std::uint32_t k = kid(p, f.i);
            if (k != 0) {
                if (!seen.insert(k).second) damaged("página " + std::to_string(k) + " referida dos veces");
                int depth = f.depth + 1;
                stack.push_back({k, 0, depth, false});
            }
            continue;
        }
        if (f.i < n) {
            IndexPos e;
            copyEntry(p, f.i, e);
            if (!out.empty()) {
                const IndexPos& b = out.back();
                int c = std::memcmp(b.key.data(), e.key.data(), keySize_);
                if (c > 0 || (c == 0 && b.recno >= e.recno)) damaged("claves fuera de orden");
            }
            out.push_back(std::move(e));
        }
        if (++f.i > n) stack.pop_back();
        else f.descended = false;
    }
    return out;
}

}  // namespace store
