// Work areas over dBASE tables: tables opened under aliases, each with its
// record pointer, controlling order, scopes, filter and relations; the store
// holds the open tables of one program instance and the settings they share.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/dbf.h"
#include "store/error.h"
#include "store/expr.h"
#include "store/ntx.h"
#include "store/settings.h"
#include "store/value.h"

namespace store {

class Store;

// A field of one work area, resolved once so that reads in a scan do no name lookup.
struct Field {
    int index = -1;
};

class WorkArea : private ExprContext {
public:
    ~WorkArea() override;
    WorkArea(const WorkArea&) = delete;
    WorkArea& operator=(const WorkArea&) = delete;

    // ---- identity and structure
    const std::string& alias() const { return alias_; }
    const std::string& path() const { return dbf_->path(); }
    bool shared() const { return dbf_->shared(); }
    bool readOnly() const { return dbf_->mode() == OpenMode::ReadOnly; }
    const std::vector<FieldInfo>& fields() const { return dbf_->fields(); }
    std::uint32_t recordLength() const { return dbf_->recordLength(); }
    Field field(std::string_view name) const;  // throws NoField naming the table
    std::optional<Field> findField(std::string_view name) const;
    const FieldInfo& info(Field f) const { return dbf_->fields()[static_cast<std::size_t>(f.index)]; }

    // ---- orders
    void attachIndex(const std::string& path);
    // Builds an index over every record that meets the FOR condition (deleted
    // records included) and makes it the controlling order.
    void createIndex(const std::string& path, std::string_view key, std::string_view forCondition = {});
    void setOrder(int number);  // 0 = natural order
    void setOrder(std::string_view name);
    int order() const { return order_; }
    int orderCount() const { return static_cast<int>(orders_.size()); }
    std::string orderName(int number) const;
    std::string orderKey(int number) const;
    std::string orderFor(int number) const;
    // Checks the controlling order against the table: structure, and that it holds
    // exactly the keys of the records that meet its FOR condition. Returns a
    // description of the first difference, or an empty text when it agrees.
    std::string checkOrder(int number);

    // ---- position
    void goTop();
    void goBottom();
    void skip(long n = 1);
    void go(std::uint32_t recno);
    bool eof() const { return eof_; }
    bool bof() const { return bof_; }
    bool found() const { return found_; }
    std::uint32_t recno() const { return view_->recno; }
    std::uint32_t recCount();  // all records, deleted ones included
    bool seek(const Value& key);  // soft as the store setting says
    bool seek(const Value& key, bool soft);
    void setScopeTop(const Value& v);
    void setScopeBottom(const Value& v);
    void clearScopes();
    void setFilter(std::string_view condition);
    void setFilter(std::function<bool()> condition);
    void clearFilter();
    void setRelation(std::string_view childAlias, std::string_view keyExpression);
    void clearRelations();
    bool locate(std::string_view condition);
    bool locate(const std::function<bool()>& condition);
    // Visits every visible record from the top of the controlling order to the end.
    void forEach(const std::function<void()>& action, std::string_view condition = {});
    void forEach(const std::function<void()>& action, const std::function<bool()>& condition);

    // ---- data of the current record (the phantom record at end of file reads empty)
    Value get(Field f) const;
    Value get(std::string_view name) const { return get(field(name)); }
    std::string_view text(Field f) const { return fieldcodec::readText(info(f), rec_); }
    std::string text(std::string_view name) const { return std::string(text(field(name))); }
    Decimal num(Field f) const { return fieldcodec::readNum(info(f), rec_); }
    Decimal num(std::string_view name) const { return num(field(name)); }
    Date date(Field f) const { return fieldcodec::readDate(info(f), rec_); }
    Date date(std::string_view name) const { return date(field(name)); }
    bool logic(Field f) const { return fieldcodec::readLogic(info(f), rec_); }
    bool logic(std::string_view name) const { return logic(field(name)); }
    bool deleted() const { return rec_[0] == '*'; }

    // Writes need the record or file lock when the table is shared (LockRequired otherwise).
    void put(Field f, const Value& v);
    void put(std::string_view name, const Value& v) { put(field(name), v); }
    void markDeleted();
    void recall();
    // Appends a blank record and makes it current (locked when shared). False when
    // another workstation held the table's header: the store's network-error flag is set.
    bool appendBlank();
    void pack();  // exclusive
    void zap();   // exclusive
    // Appends the records of another table, copying the fields of the same name.
    void appendFrom(const std::string& path, std::string_view condition = {});

    // ---- locks
    bool recLock();
    bool fileLock();
    void unlock();
    bool isLocked() const;  // may the current record be written now?
    void commit();

    // Compiles an expression over this table (other tables by alias->field).
    Expr compile(std::string_view text) const { return Expr::compile(text, *this); }

private:
    friend class Store;
    struct Order {
        std::string name;  // file base name, lower case
        std::unique_ptr<NtxIndex> index;
        Expr key;
        Expr condition;  // invalid when the order has no FOR condition
    };
    struct Relation {
        std::string child;
        Expr key;
    };

    WorkArea(Store& store, std::unique_ptr<DbfFile> dbf, std::string alias);

    // ExprContext
    std::optional<FieldBinding> field(std::string_view alias, std::string_view name) const override;
    std::shared_ptr<const RecordView> defaultView() const override { return view_; }
    const Settings& settings() const override;
    std::string where() const override { return path(); }

    Order makeOrder(std::unique_ptr<NtxIndex> ix, const std::string& path);
    std::string keyOf(const Order& o);
    bool inOrder(const Order& o);
    void flush();
    void captureOldKeys();
    void load(std::uint32_t recno, bool fresh);
    void setPhantom();
    bool visible(const IndexPos* pos);
    bool inScope(const std::string& key) const;
    void afterMove();
    void walk(IndexPos e, bool have, bool forward);
    bool takeEntry(const Order& o, const IndexPos& e);
    void naturalForward(std::uint32_t from, bool sequential);
    bool naturalBackward(std::uint32_t from);
    void toBottom();
    void stepForward();
    void stepBackward();
    void requireExclusive(const char* what) const;
    void requireLock() const;
    void rebuildOrders();
    void positionByKey(const std::string& key, bool soft);

    Store& store_;
    std::unique_ptr<DbfFile> dbf_;
    std::string alias_;
    std::vector<char> buf_;        // the record when it is written, or read by copy
    const char* rec_ = nullptr;    // the current record: buf_, or the table's bytes in place
    char* writable();
    std::shared_ptr<RecordView> view_;
    std::vector<Order> orders_;
    int order_ = 0;
    // The index entry the pointer stands on, when it came there through the order: the
    // next skip goes on from it, even when the record's own key disagrees (a stale index).
    IndexPos pos_;
    bool posValid_ = false;
    bool eof_ = true, bof_ = false, found_ = false;
    std::optional<std::string> scopeTop_, scopeBottom_;
    std::function<bool()> filter_;
    std::vector<Relation> relations_;
    bool dirty_ = false;
    std::vector<std::string> oldKeys_;
    std::vector<char> oldIn_;
    std::vector<std::uint32_t> lockedRecords_;
    bool fileLocked_ = false;
};

class Store {
public:
    Store() = default;
    explicit Store(Settings s) : settings_(std::move(s)) {}
    ~Store();
    Store(const Store&) = delete;
    Store& operator=(const Store&) = delete;

    Settings& settings() { return settings_; }
    const Settings& settings() const { return settings_; }

    // Opens a table (".dbf" is added when the path has no extension) under an
    // alias (default: the file's base name), shared or exclusive (default: the
    // exclusive-by-default setting), in a new slot or in the current one. When
    // another workstation's access excludes ours the table is not opened, the
    // network-error flag is set and nullptr is returned; other failures throw. A table
    // opened read-only is shared and refuses every write.
    WorkArea* use(const std::string& path, std::string_view alias = {}, std::optional<bool> shared = {},
                  bool newSlot = true, bool readOnly = false);
    bool netErr() const { return netErr_; }
    void setNetErr(bool v) { netErr_ = v; }
    // Why the last open failed with the network-error flag.
    const std::string& netErrMessage() const { return netErrMessage_; }

    WorkArea& select(std::string_view alias);  // throws NoAlias
    WorkArea* find(std::string_view alias);
    WorkArea& current();  // throws NoAlias when nothing is selected
    bool hasCurrent() const { return current_ != nullptr; }
    WorkArea& area(std::string_view alias) { return *checked(alias); }
    void close(std::string_view alias);
    void close();  // the current table
    void closeAll();
    void commitAll();
    std::vector<std::string> aliases() const;

    // Runs fn with that table current, then makes the previous table current again.
    template <class F>
    decltype(auto) in(std::string_view alias, F&& fn) {
        WorkArea* previous = current_;
        std::string prevAlias = previous ? previous->alias() : std::string();
        select(alias);
        struct Restore {
            Store& s;
            std::string alias;
            ~Restore() { s.current_ = alias.empty() ? nullptr : s.find(alias); }
        } restore{*this, prevAlias};
        return fn(*current_);
    }

    static void createTable(const std::string& path, const std::vector<FieldDef>& fields);

    // How the retry routines wait: pause for the given seconds (returning early
    // on a key press); false when the user asked to stop waiting, which is only
    // offered when `cancellable` is true. The default sleeps.
    std::function<bool(double seconds, bool cancellable)> pause;

    // Resolves a table or index path: adds the extension when missing and finds
    // an existing file whose name differs only in case.
    static std::string resolve(const std::string& path, const char* extension);

private:
    friend class WorkArea;
    WorkArea* checked(std::string_view alias);
    static std::string key(std::string_view alias);

    Settings settings_;
    std::vector<std::unique_ptr<WorkArea>> slots_;
    WorkArea* current_ = nullptr;
    bool netErr_ = false;
    std::string netErrMessage_;
};

// ---- the retry routines and the existence check of the forms
// A missing wait retries without end, like 0, but the pause hook may let the
// user stop waiting.
bool REC_LOCK(Store& s, std::optional<double> wait = std::nullopt);
bool ADD_REC(Store& s, std::optional<double> wait = std::nullopt);
bool F_LFOCK(Store& s, std::optional<double> wait = std::nullopt);
bool F_BUSCA(Store& s, std::string_view alias, int order, const Value& key);

}  // namespace store
