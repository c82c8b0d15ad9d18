// Index files: one sorted order per file, a B-tree of 1024-byte pages in the
// NTX layout (header page, item slots with child page, record number and key).
//
// Entries are ordered by key bytes, then by record number; duplicate keys are
// allowed. The tree is updated in place. When the index is shared, every read
// holds a shared lock and every update an exclusive lock on the index's lock
// byte, and the header's version counter tells a reader that its cached pages
// are stale.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace store {

struct IndexPos {
    std::string key;
    std::uint32_t recno = 0;
};

class NtxIndex {
public:
    static constexpr std::uint32_t kPageSize = 1024;
    static constexpr std::size_t kMaxExpr = 255;

    // Writes a new index file from unsorted entries (keys: n * keySize bytes),
    // replacing any file of that name.
    static void build(const std::string& path, const std::string& keyExpr, const std::string& forExpr,
                      std::uint16_t keySize, std::uint16_t keyDecimals, const std::vector<char>& keys,
                      const std::vector<std::uint32_t>& recnos);

    NtxIndex(const std::string& path, bool shared);
    ~NtxIndex();
    NtxIndex(const NtxIndex&) = delete;
    NtxIndex& operator=(const NtxIndex&) = delete;

    const std::string& path() const { return path_; }
    const std::string& keyExpr() const { return keyExpr_; }
    const std::string& forExpr() const { return forExpr_; }
    std::uint16_t keySize() const { return keySize_; }
    std::uint16_t keyDecimals() const { return keyDec_; }

    // Navigation. Each returns false when there is no such entry.
    bool first(IndexPos& out);
    bool last(IndexPos& out);
    // First entry whose leading len bytes are >= (orGreater=false) or > (true) the given bytes.
    bool seekPrefix(const char* key, std::size_t len, bool greater, IndexPos& out);
    // Last entry whose leading len bytes are <= the given bytes.
    bool lastAtOrBefore(const char* key, std::size_t len, IndexPos& out);
    // Entry just after / before the position (key + record number), whether or not
    // the position itself is in the index.
    bool next(const IndexPos& from, IndexPos& out);
    bool prev(const IndexPos& from, IndexPos& out);

    void insert(const char* key, std::uint32_t recno);
    bool remove(const char* key, std::uint32_t recno);

    // Groups several changes under one lock and one header write.
    void beginUpdate();
    void endUpdate();

    // Walks the whole tree checking its structure and order; returns the entries
    // in order. Throws StoreError(Damaged) naming the file on any fault.
    std::vector<IndexPos> verify();

private:
    using Page = std::array<unsigned char, kPageSize>;
    struct Node {
        int n = 0;
        std::vector<char> keys;
        std::vector<std::uint32_t> recs;
        std::vector<std::uint32_t> kids;  // n + 1 children; all 0 in a leaf
        bool leaf() const { return kids.empty() || kids[0] == 0; }
    };
    struct Step {
        std::uint32_t page;
        int index;
    };
    class ReadGuard;

    void readHeader();
    void refreshIfChanged();
    const Page& page(std::uint32_t off);
    Page& pageForWrite(std::uint32_t off);
    std::uint32_t allocPage();
    void freePage(std::uint32_t off);
    Node decode(std::uint32_t off);
    void encode(std::uint32_t off, const Node& node);
    int count(const Page& p) const;
    const unsigned char* item(const Page& p, int i) const;
    std::uint32_t kid(const Page& p, int i) const;
    std::uint32_t rec(const Page& p, int i) const;
    const char* keyAt(const Page& p, int i) const;
    void copyEntry(const Page& p, int i, IndexPos& out) const;

    struct Cursor {
        std::uint32_t page = 0;  // a leaf page, 0 when there is no cursor
        int index = 0;
    };
    template <class Pred>
    void search(Pred atOrAfter, IndexPos* firstTrue, bool* haveFirst, IndexPos* lastFalse, bool* haveLast);
    template <class Pred>
    void searchHeld(Pred atOrAfter, IndexPos* firstTrue, bool* haveFirst, IndexPos* lastFalse, bool* haveLast);
    bool cursorOn(const std::string& key, std::uint32_t recno);
    int compareFull(const Page& p, int i, const char* key, std::uint32_t recno) const;
    int comparePos(const IndexPos& e, const std::string& key, std::uint32_t recno) const;
    void rebalance(std::vector<Step>& path);
    void writeBack();
    void abandonUpdate();
    [[noreturn]] void damaged(const std::string& what) const;

    std::string path_;
    bool shared_;
    int fd_ = -1;
    std::string keyExpr_, forExpr_;
    std::uint16_t keySize_ = 0, keyDec_ = 0, itemSize_ = 0, maxKeys_ = 0, half_ = 0;
    std::uint16_t version_ = 0;
    std::uint32_t root_ = 0, freeHead_ = 0, fileEnd_ = 0;
    std::unordered_map<std::uint32_t, Page> cache_;
    std::unordered_set<std::uint32_t> dirty_;
    int updateDepth_ = 0;
    Cursor cursor_;  // where the last answer came from
    bool headerDirty_ = false;
};

}  // namespace store
