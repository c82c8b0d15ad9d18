#include "store/store.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

namespace store {
namespace {

std::string lower(std::string_view s) {
    std::string r(s);
    for (char& c : r)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    return r;
}

bool equalsNoCase(std::string_view a, std::string_view b) { return a.size() == b.size() && lower(a) == lower(b); }

std::string baseName(const std::string& path) {
    std::size_t slash = path.find_last_of('/');
    std::string b = path.substr(slash == std::string::npos ? 0 : slash + 1);
    std::size_t dot = b.find_last_of('.');
    if (dot != std::string::npos && dot > 0) b.resize(dot);
    return b;
}

bool fileExists(const std::string& p) {
    struct stat st;
    return ::stat(p.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace

// ================================================================ Store

Store::~Store() { closeAll(); }

std::string Store::key(std::string_view alias) { return lower(alias); }

std::string Store::resolve(const std::string& path, const char* extension) {
    std::string p = path;
    std::size_t slash = p.find_last_of('/');
    std::size_t dot = p.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) p += extension;
    if (fileExists(p)) return p;
    std::string dir = slash == std::string::npos ? "." : p.substr(0, slash == 0 ? 1 : slash);
    std::string name = p.substr(slash == std::string::npos ? 0 : slash + 1);
    if (DIR* d = ::opendir(dir.c_str())) {
        std::string match;
        while (dirent* e = ::readdir(d)) {
            if (equalsNoCase(e->d_name, name)) {
                match = e->d_name;
                break;
            }
        }
        ::closedir(d);
        if (!match.empty()) return (slash == std::string::npos ? "" : p.substr(0, slash + 1)) + match;
    }
    return p;
}

WorkArea* Store::use(const std::string& path, std::string_view alias, std::optional<bool> shared, bool newSlot,
                     bool readOnly) {
    std::string file = resolve(path, ".dbf");
    std::string name = alias.empty() ? baseName(file) : std::string(alias);
    bool isShared = shared.value_or(!settings_.exclusiveDefault);
    netErr_ = false;
    netErrMessage_.clear();
    std::size_t slot = slots_.size();
    if (!newSlot && current_) {
        for (std::size_t i = 0; i < slots_.size(); ++i)
            if (slots_[i].get() == current_) slot = i;
        close();
    }
    if (find(name)) throw StoreError(ErrorKind::Usage, "El alias " + name + " ya está en uso (" + file + ")");
    // A table this store already holds open may be opened again, shared, under a
    // second alias (a report reading the table that its screen keeps open): the
    // holder's access lock covers both. Only an exclusive request is refused.
    bool companion = false;
    if (isShared || readOnly) {
        struct stat mine {};
        if (::stat(file.c_str(), &mine) == 0)
            for (const auto& s : slots_) {
                struct stat other {};
                if (s && ::stat(s->path().c_str(), &other) == 0 && other.st_dev == mine.st_dev &&
                    other.st_ino == mine.st_ino) {
                    s->commit();  // the second view reads what the first one wrote
                    companion = true;
                }
            }
    }
    std::unique_ptr<DbfFile> dbf;
    try {
        dbf = std::make_unique<DbfFile>(file,
                                        readOnly   ? OpenMode::ReadOnly
                                        : isShared ? OpenMode::Shared
                                                   : OpenMode::Exclusive,
                                        companion);
    } catch (const StoreError& e) {
        if (e.kind() != ErrorKind::Exclusive) throw;
        netErr_ = true;
        netErrMessage_ = e.what();
        return nullptr;
    }
    std::unique_ptr<WorkArea> area(new WorkArea(*this, std::move(dbf), name));
    WorkArea* raw = area.get();
    if (slot < slots_.size()) slots_[slot] = std::move(area);
    else slots_.push_back(std::move(area));
    current_ = raw;
    raw->goTop();
    return raw;
}

WorkArea* Store::find(std::string_view alias) {
    std::string k = key(alias);
    for (auto& s : slots_)
        if (s && key(s->alias()) == k) return s.get();
    return nullptr;
}

WorkArea* Store::checked(std::string_view alias) {
    WorkArea* a = find(alias);
    if (!a) throw StoreError(ErrorKind::NoAlias, "El alias " + std::string(alias) + " no está abierto");
    return a;
}

WorkArea& Store::select(std::string_view alias) { return *(current_ = checked(alias)); }

WorkArea& Store::current() {
    if (!current_) throw StoreError(ErrorKind::NoAlias, "No hay una tabla seleccionada");
    return *current_;
}

void Store::close(std::string_view alias) {
    for (auto& s : slots_) {
        if (s && key(s->alias()) == key(alias)) {
            if (current_ == s.get()) current_ = nullptr;
            std::unique_ptr<WorkArea> gone = std::move(s);
            gone->flush();
            return;
        }
    }
}

void Store::close() {
    if (current_) close(current_->alias());
}

void Store::closeAll() {
    for (auto& s : slots_) {
        if (!s) continue;
        std::unique_ptr<WorkArea> gone = std::move(s);
        try {
            gone->flush();
        } catch (...) {
            // closing goes on: the other tables must still be released
        }
    }
    slots_.clear();
    current_ = nullptr;
}

void Store::commitAll() {
    for (auto& s : slots_)
        if (s) s->commit();
}

std::vector<std::string> Store::aliases() const {
    std::vector<std::string> r;
    for (const auto& s : slots_)
        if (s) r.push_back(s->alias());
    return r;
}

void Store::createTable(const std::string& path, const std::vector<FieldDef>& fields) {
    std::string p = path;
    std::size_t slash = p.find_last_of('/');
    std::size_t dot = p.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) p += ".dbf";
    DbfFile::create(resolve(p, ".dbf"), fields);
}

// ================================================================ WorkArea: setup

WorkArea::WorkArea(Store& store, std::unique_ptr<DbfFile> dbf, std::string alias)
    : store_(store), dbf_(std::move(dbf)), alias_(std::move(alias)), view_(std::make_shared<RecordView>()) {
    buf_.assign(dbf_->blankRecord().begin(), dbf_->blankRecord().end());
    rec_ = view_->data = buf_.data();
    setPhantom();
}

WorkArea::~WorkArea() {
    view_->data = nullptr;  // expressions that still refer to this table read empty values
    view_->recno = 0;
}

const Settings& WorkArea::settings() const { return store_.settings(); }

std::optional<FieldBinding> WorkArea::field(std::string_view alias, std::string_view name) const {
    const WorkArea* a = this;
    if (!alias.empty() && !equalsNoCase(alias, alias_)) {
        a = store_.find(alias);
        if (!a) return std::nullopt;
    }
    int i = a->dbf_->fieldIndex(name);
    if (i < 0) return std::nullopt;
    return FieldBinding{a->view_, a->dbf_->fields()[static_cast<std::size_t>(i)]};
}

std::optional<Field> WorkArea::findField(std::string_view name) const {
    int i = dbf_->fieldIndex(name);
    if (i < 0) return std::nullopt;
    return Field{i};
}

Field WorkArea::field(std::string_view name) const {
    int i = dbf_->fieldIndex(name);
    if (i < 0)
        throw StoreError(ErrorKind::NoField, "El campo " + std::string(name) + " no existe en la tabla " + path());
    return Field{i};
}

// ================================================================ orders

WorkArea::Order WorkArea::makeOrder(std::unique_ptr<NtxIndex> ix, const std::string& path) {
    Order o;
    o.name = lower(baseName(path));
    try {
        o.key = compile(ix->keyExpr());
        if (!ix->forExpr().empty()) o.condition = compile(ix->forExpr());
    } catch (const StoreError& e) {
        throw StoreError(ErrorKind::Damaged, "El índice " + path + " no corresponde a la tabla " + this->path() +
                                                 ": " + e.what());
    }
    if (o.condition.valid() && o.condition.type() != Type::Logic)
        throw StoreError(ErrorKind::Damaged, "La condición FOR de " + path + " no es lógica");
    o.index = std::move(ix);
    return o;
}

void WorkArea::attachIndex(const std::string& path) {
    flush();
    std::string file = Store::resolve(path, ".ntx");
    for (const Order& o : orders_)
        if (o.index->path() == file)
            throw StoreError(ErrorKind::Usage, "El índice " + file + " ya está abierto en " + this->path());
    auto ix = std::make_unique<NtxIndex>(file, shared());
    Order o = makeOrder(std::move(ix), file);
    // A key whose length differs from the file's would compare wrongly: the file
    // was built from another expression or another table.
    const char* saved = view_->data;
    view_->data = dbf_->blankRecord().data();
    std::string k;
    o.key.appendKey(k);
    view_->data = saved;
    if (k.size() != o.index->keySize())
        throw StoreError(ErrorKind::Damaged, "El índice " + file + " no corresponde a la tabla " + this->path() +
                                                 " (largo de clave " + std::to_string(o.index->keySize()) +
                                                 ", la expresión da " + std::to_string(k.size()) + ")");
    orders_.push_back(std::move(o));
    if (orders_.size() == 1) {
        order_ = 1;
        goTop();
    }
}

void WorkArea::createIndex(const std::string& path, std::string_view key, std::string_view forCondition) {
    flush();
    std::string file = Store::resolve(path, ".ntx");
    Expr k = compile(key);
    Expr cond;
    if (!forCondition.empty()) {
        cond = compile(forCondition);
        if (cond.type() != Type::Logic)
            throw StoreError(ErrorKind::Expression, "La condición FOR '" + std::string(forCondition) + "' no es lógica");
    }
    const char* saved = view_->data;
    std::uint32_t savedRec = view_->recno;
    std::vector<char> scan(dbf_->recordLength());
    view_->data = scan.data();
    std::string kb;
    std::memcpy(scan.data(), dbf_->blankRecord().data(), scan.size());
    k.appendKey(kb);
    std::size_t keySize = kb.size();
    if (keySize == 0 || keySize > 250) {
        view_->data = saved;
        throw StoreError(ErrorKind::Expression, "La clave '" + std::string(key) + "' de " + file +
                                                    " tiene un largo no admitido (" + std::to_string(keySize) + ")");
    }
    std::uint16_t keyDec = static_cast<std::uint16_t>(k.keyDecimals());
    std::vector<char> keys;
    std::vector<std::uint32_t> recnos;
    std::uint32_t n = dbf_->recordCount(true);
    keys.reserve(std::size_t(n) * keySize);
    recnos.reserve(n);
    try {
        for (std::uint32_t r = 1; r <= n; ++r) {
            dbf_->read(r, scan.data());
            view_->recno = r;
            if (cond.valid() && !cond.test()) continue;
            kb.clear();
            k.appendKey(kb);
            kb.resize(keySize, ' ');
            keys.insert(keys.end(), kb.begin(), kb.end());
            recnos.push_back(r);
        }
    } catch (...) {
        view_->data = saved;
        view_->recno = savedRec;
        throw;
    }
    view_->data = saved;
    view_->recno = savedRec;
    NtxIndex::build(file, k.text(), cond.valid() ? cond.text() : std::string(), static_cast<std::uint16_t>(keySize),
                    keyDec, keys, recnos);
    Order o = makeOrder(std::make_unique<NtxIndex>(file, shared()), file);
    int at = -1;
    for (std::size_t i = 0; i < orders_.size(); ++i)
        if (orders_[i].name == o.name) at = static_cast<int>(i);
    if (at >= 0) {
        orders_[static_cast<std::size_t>(at)] = std::move(o);
    } else {
        orders_.push_back(std::move(o));
        at = static_cast<int>(orders_.size()) - 1;
    }
    order_ = at + 1;
    goTop();
}

void WorkArea::setOrder(int number) {
    if (number < 0 || number > orderCount())
        throw StoreError(ErrorKind::NoOrder, "La tabla " + path() + " no tiene el orden " + std::to_string(number));
    flush();
    order_ = number;
    posValid_ = false;
}

void WorkArea::setOrder(std::string_view name) {
    for (std::size_t i = 0; i < orders_.size(); ++i) {
        if (orders_[i].name == lower(name)) {
            setOrder(static_cast<int>(i) + 1);
            return;
        }
    }
    throw StoreError(ErrorKind::NoOrder, "La tabla " + path() + " no tiene el orden " + std::string(name));
}

std::string WorkArea::orderName(int n) const { return n >= 1 && n <= orderCount() ? orders_[n - 1].name : ""; }
std::string WorkArea::orderKey(int n) const { return n >= 1 && n <= orderCount() ? orders_[n - 1].key.text() : ""; }
std::string WorkArea::orderFor(int n) const {
    return n >= 1 && n <= orderCount() && orders_[n - 1].condition.valid() ? orders_[n - 1].condition.text() : "";
}

std::string WorkArea::keyOf(const Order& o) {
    std::string k;
    o.key.appendKey(k);
    k.resize(o.index->keySize(), ' ');
    return k;
}

bool WorkArea::inOrder(const Order& o) { return !o.condition.valid() || o.condition.test(); }

std::string WorkArea::checkOrder(int number) {
    if (number < 1 || number > orderCount())
        throw StoreError(ErrorKind::NoOrder, "La tabla " + path() + " no tiene el orden " + std::to_string(number));
    flush();
    Order& o = orders_[static_cast<std::size_t>(number - 1)];
    std::vector<IndexPos> entries = o.index->verify();
    std::vector<IndexPos> expected;
    const char* saved = view_->data;
    std::uint32_t savedRec = view_->recno;
    std::vector<char> scan(dbf_->recordLength());
    view_->data = scan.data();
    std::uint32_t n = dbf_->recordCount(true);
    for (std::uint32_t r = 1; r <= n; ++r) {
        dbf_->read(r, scan.data());
        view_->recno = r;
        if (inOrder(o)) expected.push_back({keyOf(o), r});
    }
    view_->data = saved;
    view_->recno = savedRec;
    std::sort(expected.begin(), expected.end(), [](const IndexPos& a, const IndexPos& b) {
        return a.key != b.key ? a.key < b.key : a.recno < b.recno;
    });
    for (std::size_t i = 0; i < std::max(entries.size(), expected.size()); ++i) {
        if (i >= entries.size())
            return "falta la clave del registro " + std::to_string(expected[i].recno);
        if (i >= expected.size())
            return "sobra la clave '" + entries[i].key + "' del registro " + std::to_string(entries[i].recno);
        if (entries[i].recno != expected[i].recno || entries[i].key != expected[i].key)
            return "en la posición " + std::to_string(i + 1) + " el índice tiene '" + entries[i].key + "' (registro " +
                   std::to_string(entries[i].recno) + ") y la tabla da '" + expected[i].key + "' (registro " +
                   std::to_string(expected[i].recno) + ")";
    }
    return {};
}

// ================================================================ records

void WorkArea::setPhantom() {
    posValid_ = false;
    std::uint32_t n = dbf_->recordCount();
    std::memcpy(buf_.data(), dbf_->blankRecord().data(), buf_.size());
    rec_ = view_->data = buf_.data();
    view_->recno = n + 1;
    eof_ = true;
}

void WorkArea::load(std::uint32_t recno, bool fresh) {
    const char* in = fresh ? nullptr : dbf_->peek(recno);
    if (in) {
        rec_ = view_->data = in;
    } else {
        dbf_->read(recno, buf_.data(), fresh);
        rec_ = view_->data = buf_.data();
    }
    view_->recno = recno;
    eof_ = false;
}

std::uint32_t WorkArea::recCount() {
    flush();
    return dbf_->recordCount(true);
}

Value WorkArea::get(Field f) const { return fieldcodec::read(info(f), rec_); }

char* WorkArea::writable() {
    if (rec_ != buf_.data()) {
        std::memcpy(buf_.data(), rec_, buf_.size());
        rec_ = view_->data = buf_.data();
    }
    return buf_.data();
}

bool WorkArea::isLocked() const {
    if (!shared()) return true;
    if (fileLocked_) return true;
    return std::find(lockedRecords_.begin(), lockedRecords_.end(), view_->recno) != lockedRecords_.end();
}

void WorkArea::requireLock() const {
    if (readOnly()) throw StoreError(ErrorKind::Usage, "La tabla " + path() + " está abierta solo para lectura");
    if (eof_)
        throw StoreError(ErrorKind::Usage, "No hay un registro actual en " + path() + " (fin de archivo)");
    if (!isLocked())
        throw StoreError(ErrorKind::LockRequired, "Se requiere bloquear el registro " + std::to_string(view_->recno) +
                                                      " de " + path() + " antes de grabarlo");
}

void WorkArea::requireExclusive(const char* what) const {
    if (shared())
        throw StoreError(ErrorKind::Exclusive,
                         std::string(what) + " requiere abrir " + path() + " en forma exclusiva");
}

void WorkArea::captureOldKeys() {
    if (dirty_) return;
    oldKeys_.resize(orders_.size());
    oldIn_.resize(orders_.size());
    for (std::size_t i = 0; i < orders_.size(); ++i) {
        oldIn_[i] = inOrder(orders_[i]);
        if (oldIn_[i]) oldKeys_[i] = keyOf(orders_[i]);
    }
}

void WorkArea::put(Field f, const Value& v) {
    requireLock();
    captureOldKeys();
    fieldcodec::write(info(f), writable(), v, path());  // throws before changing anything
    dirty_ = true;
}

void WorkArea::markDeleted() {
    requireLock();
    captureOldKeys();
    writable()[0] = '*';
    dirty_ = true;
}

void WorkArea::recall() {
    requireLock();
    captureOldKeys();
    writable()[0] = ' ';
    dirty_ = true;
}

// Writes the current record and brings every order up to date with it.
void WorkArea::flush() {
    if (!dirty_) return;
    dirty_ = false;
    posValid_ = false;  // the record's keys may have moved: go on from its new keys
    dbf_->write(view_->recno, buf_.data());
    for (std::size_t i = 0; i < orders_.size(); ++i) {
        Order& o = orders_[i];
        bool now = inOrder(o);
        std::string key = now ? keyOf(o) : std::string();
        bool before = oldIn_[i] != 0;
        if (before == now && (!now || key == oldKeys_[i])) continue;
        o.index->beginUpdate();
        try {
            if (before) o.index->remove(oldKeys_[i].data(), view_->recno);
            if (now) o.index->insert(key.data(), view_->recno);
        } catch (...) {
            o.index->endUpdate();
            throw;
        }
        o.index->endUpdate();
    }
}

void WorkArea::commit() {
    flush();
    dbf_->sync();
}

bool WorkArea::appendBlank() {
    if (readOnly()) throw StoreError(ErrorKind::Usage, "La tabla " + path() + " está abierta solo para lectura");
    flush();
    if (shared() && !fileLocked_) {
        for (std::uint32_t r : lockedRecords_) dbf_->unlockRecord(r);
        lockedRecords_.clear();
    }
    std::uint32_t n = dbf_->append(dbf_->blankRecord().data());
    if (n == 0) {
        store_.setNetErr(true);
        return false;
    }
    store_.setNetErr(false);
    if (shared() && !fileLocked_) {
        if (dbf_->lockRecord(n)) lockedRecords_.push_back(n);
    }
    std::memcpy(buf_.data(), dbf_->blankRecord().data(), buf_.size());
    rec_ = view_->data = buf_.data();
    view_->recno = n;
    eof_ = bof_ = false;
    oldKeys_.assign(orders_.size(), std::string());
    oldIn_.assign(orders_.size(), 0);
    dirty_ = true;  // the keys of the new record enter the orders when it is written
    return true;
}

// ================================================================ locks

bool WorkArea::recLock() {
    flush();
    if (!shared()) return true;
    if (fileLocked_) return true;
    if (eof_) return false;
    std::uint32_t r = view_->recno;
    bool alreadyHeld = false;
    for (std::uint32_t held : lockedRecords_) {
        if (held == r) alreadyHeld = true;
        else dbf_->unlockRecord(held);
    }
    lockedRecords_.clear();
    if (!alreadyHeld && !dbf_->lockRecord(r)) return false;
    lockedRecords_.push_back(r);
    load(r, true);  // work on the record as it is now, not as it was read
    return true;
}

bool WorkArea::fileLock() {
    flush();
    if (!shared()) return true;
    if (fileLocked_) return true;
    if (!dbf_->lockFile()) return false;
    for (std::uint32_t held : lockedRecords_) dbf_->unlockRecord(held);
    lockedRecords_.clear();
    fileLocked_ = true;
    if (!eof_) load(view_->recno, true);
    return true;
}

void WorkArea::unlock() {
    flush();
    for (std::uint32_t held : lockedRecords_) dbf_->unlockRecord(held);
    lockedRecords_.clear();
    if (fileLocked_) dbf_->unlockFile();
    fileLocked_ = false;
}

// ================================================================ navigation

bool WorkArea::inScope(const std::string& key) const {
    if (scopeTop_) {
        const std::string& t = *scopeTop_;
        std::size_t n = std::min(t.size(), key.size());
        if (std::memcmp(key.data(), t.data(), n) < 0) return false;
    }
    if (scopeBottom_) {
        const std::string& b = *scopeBottom_;
        std::size_t n = std::min(b.size(), key.size());
        if (std::memcmp(key.data(), b.data(), n) > 0) return false;
    }
    return true;
}

// Is the loaded record visible (deleted records hidden, filter)?
bool WorkArea::visible(const IndexPos*) {
    if (settings().deletedHidden && rec_[0] == '*') return false;
    if (filter_ && !filter_()) return false;
    return true;
}

void WorkArea::afterMove() {
    bof_ = false;
    for (const Relation& r : relations_) {
        WorkArea* child = store_.find(r.child);
        if (!child) continue;
        Value v = r.key.eval();
        if (child->order_ == 0 && v.isNum()) {
            child->go(static_cast<std::uint32_t>(std::max<std::int64_t>(0, v.num().toInt())));
            child->found_ = !child->eof_;
        } else {
            child->seek(v, false);
        }
    }
}

// From entry e (when have) on, forward or backward in index order: the first visible
// record in scope; end of file when there is none.
void WorkArea::walk(IndexPos e, bool have, bool forward) {
    Order& o = orders_[static_cast<std::size_t>(order_ - 1)];
    const bool bounded = forward ? scopeBottom_.has_value() : scopeTop_.has_value();
    while (have) {
        if (!inScope(e.key)) {
            if (bounded) break;  // past the scope in the direction of the walk
        } else if (takeEntry(o, e)) {
            return;
        }
        have = forward ? o.index->next(e, e) : o.index->prev(e, e);
    }
    setPhantom();
}

// Loads the record of an index entry; true when it is visible (the pointer then stands on it).
bool WorkArea::takeEntry(const Order& o, const IndexPos& e) {
    std::uint32_t count = dbf_->recordCount();
    if (e.recno > count) count = dbf_->recordCount(true);  // appended meanwhile?
    if (e.recno == 0 || e.recno > count)
        throw StoreError(ErrorKind::Damaged, "El índice " + o.index->path() + " apunta al registro " +
                                                 std::to_string(e.recno) + " que no existe en " + path() +
                                                 "; vuelva a generar los índices");
    load(e.recno, shared());  // what others wrote last
    if (!visible(&e)) return false;
    pos_ = e;
    posValid_ = true;
    return true;
}

// Sequential steps of a shared table may be served from what was just read ahead;
// any other move reads what others wrote last.
void WorkArea::naturalForward(std::uint32_t from, bool sequential) {
    std::uint32_t count = dbf_->recordCount();
    if (from > count) count = dbf_->recordCount(true);  // others may have appended since
    for (std::uint32_t r = from; r <= count; ++r) {
        load(r, shared() && !(sequential || r > from));
        if (visible(nullptr)) return;
        if (r == count && shared()) count = dbf_->recordCount(true);
    }
    setPhantom();
}

bool WorkArea::naturalBackward(std::uint32_t from) {
    for (std::uint32_t r = from; r >= 1; --r) {
        load(r, shared());
        if (visible(nullptr)) return true;
    }
    return false;
}

void WorkArea::goTop() {
    flush();
    if (order_ == 0) {
        naturalForward(1, false);
    } else {
        Order& o = orders_[static_cast<std::size_t>(order_ - 1)];
        IndexPos e;
        bool have = scopeTop_ ? o.index->seekPrefix(scopeTop_->data(), scopeTop_->size(), false, e) : o.index->first(e);
        walk(e, have, true);
    }
    afterMove();
}

// The last visible record (end of file when there is none), without the relations.
void WorkArea::toBottom() {
    if (order_ == 0) {
        if (!naturalBackward(dbf_->recordCount(true))) setPhantom();
        return;
    }
    Order& o = orders_[static_cast<std::size_t>(order_ - 1)];
    IndexPos e;
    bool have = scopeBottom_ ? o.index->lastAtOrBefore(scopeBottom_->data(), scopeBottom_->size(), e)
                             : o.index->last(e);
    walk(e, have, false);
}

void WorkArea::goBottom() {
    flush();
    toBottom();
    afterMove();
}

void WorkArea::stepForward() {
    if (eof_) return;
    if (order_ == 0) {
        naturalForward(view_->recno + 1, true);
        return;
    }
    Order& o = orders_[static_cast<std::size_t>(order_ - 1)];
    IndexPos from = posValid_ && pos_.recno == view_->recno ? pos_ : IndexPos{keyOf(o), view_->recno};
    IndexPos e;
    bool have = o.index->next(from, e);
    walk(e, have, true);
}

void WorkArea::stepBackward() {
    if (eof_) {
        // from the phantom record back to the last visible record
        toBottom();
        if (eof_) bof_ = true;
        return;
    }
    std::uint32_t here = view_->recno;
    bool moved;
    if (order_ == 0) {
        moved = here > 1 && naturalBackward(here - 1);
    } else {
        Order& o = orders_[static_cast<std::size_t>(order_ - 1)];
        IndexPos from = posValid_ && pos_.recno == here ? pos_ : IndexPos{keyOf(o), here};
        IndexPos e;
        bool have = o.index->prev(from, e);
        walk(e, have, false);
        moved = !eof_;
    }
    if (!moved) {
        // before the first record: stay on the first visible record with bof set
        goTop();
        bof_ = true;
    }
}

void WorkArea::skip(long n) {
    flush();
    if (n == 0) {
        if (!eof_) load(view_->recno, true);
        afterMove();
        return;
    }
    bool hitBof = false;
    for (long i = 0; i < n && !eof_; ++i) stepForward();
    for (long i = 0; i > n; --i) {
        stepBackward();
        if (bof_) {
            hitBof = true;
            break;
        }
    }
    afterMove();
    bof_ = hitBof;
}

void WorkArea::go(std::uint32_t recno) {
    flush();
    posValid_ = false;
    if (recno >= 1 && recno <= dbf_->recordCount(recno > dbf_->recordCount())) {
        load(recno, true);
    } else {
        setPhantom();
    }
    afterMove();
}

void WorkArea::positionByKey(const std::string& key, bool soft) {
    Order& o = orders_[static_cast<std::size_t>(order_ - 1)];
    std::size_t len = std::min<std::size_t>(key.size(), o.index->keySize());
    IndexPos e;
    bool have = o.index->seekPrefix(key.data(), len, false, e);
    found_ = false;
    while (have) {
        bool match = std::memcmp(e.key.data(), key.data(), len) == 0;
        if (!match && !soft) break;
        if (!inScope(e.key)) {
            if (scopeBottom_ && std::memcmp(e.key.data(), scopeBottom_->data(),
                                            std::min(e.key.size(), scopeBottom_->size())) > 0)
                break;  // past the bottom scope
        } else if (takeEntry(o, e)) {
            found_ = match;
            return;
        }
        have = o.index->next(e, e);
    }
    setPhantom();
}

bool WorkArea::seek(const Value& key) { return seek(key, settings().softSeek); }

bool WorkArea::seek(const Value& key, bool soft) {
    flush();
    if (order_ == 0)
        throw StoreError(ErrorKind::NoOrder, "No se puede buscar en " + path() + " sin un orden de índice");
    Order& o = orders_[static_cast<std::size_t>(order_ - 1)];
    if (key.type() != o.key.type())
        throw StoreError(ErrorKind::Type, std::string("La búsqueda en el orden ") + o.name + " de " + path() +
                                              " requiere un valor de tipo " + typeName(o.key.type()));
    positionByKey(keyBytes(key, o.index->keySize(), o.index->keyDecimals()), soft);
    afterMove();
    return found_;
}

void WorkArea::setScopeTop(const Value& v) {
    flush();
    scopeTop_ = keyBytes(v);
}
void WorkArea::setScopeBottom(const Value& v) {
    flush();
    scopeBottom_ = keyBytes(v);
}
void WorkArea::clearScopes() {
    scopeTop_.reset();
    scopeBottom_.reset();
}

void WorkArea::setFilter(std::string_view condition) {
    Expr e = compile(condition);
    if (e.type() != Type::Logic)
        throw StoreError(ErrorKind::Expression, "El filtro '" + std::string(condition) + "' no es lógico");
    filter_ = [e] { return e.test(); };
}
void WorkArea::setFilter(std::function<bool()> condition) { filter_ = std::move(condition); }
void WorkArea::clearFilter() { filter_ = nullptr; }

void WorkArea::setRelation(std::string_view childAlias, std::string_view keyExpression) {
    store_.checked(childAlias);
    relations_.push_back({std::string(childAlias), compile(keyExpression)});
    afterMove();
}
void WorkArea::clearRelations() { relations_.clear(); }

bool WorkArea::locate(std::string_view condition) {
    Expr e = compile(condition);
    return locate([&] { return e.test(); });
}

bool WorkArea::locate(const std::function<bool()>& condition) {
    for (goTop(); !eof_; skip(1)) {
        if (condition()) {
            found_ = true;
            return true;
        }
    }
    found_ = false;
    return false;
}

void WorkArea::forEach(const std::function<void()>& action, std::string_view condition) {
    if (condition.empty()) {
        forEach(action, std::function<bool()>());
        return;
    }
    Expr e = compile(condition);
    forEach(action, [&] { return e.test(); });
}

void WorkArea::forEach(const std::function<void()>& action, const std::function<bool()>& condition) {
    for (goTop(); !eof_; skip(1))
        if (!condition || condition()) action();
}

// ================================================================ whole-table operations

void WorkArea::rebuildOrders() {
    std::vector<std::pair<std::string, std::pair<std::string, std::string>>> defs;
    for (const Order& o : orders_)
        defs.push_back({o.index->path(), {o.key.text(), o.condition.valid() ? o.condition.text() : ""}});
    int keep = order_;
    std::vector<Order> old = std::move(orders_);
    orders_.clear();
    old.clear();
    for (auto& d : defs) createIndex(d.first, d.second.first, d.second.second);
    order_ = keep;
}

void WorkArea::pack() {
    requireExclusive("Compactar");
    flush();
    std::uint32_t n = dbf_->recordCount(), w = 0;
    std::vector<char> rec(dbf_->recordLength());
    for (std::uint32_t r = 1; r <= n; ++r) {
        dbf_->read(r, rec.data());
        if (rec[0] == '*') continue;
        ++w;
        if (w != r) dbf_->write(w, rec.data());
    }
    dbf_->truncate(w);
    setPhantom();
    rebuildOrders();
    goTop();
}

void WorkArea::zap() {
    requireExclusive("Vaciar");
    flush();
    dbf_->truncate(0);
    setPhantom();
    rebuildOrders();
    goTop();
}

void WorkArea::appendFrom(const std::string& path, std::string_view condition) {
    if (readOnly()) throw StoreError(ErrorKind::Usage, "La tabla " + this->path() + " está abierta solo para lectura");
    flush();
    std::string file = Store::resolve(path, ".dbf");
    // The source is read through a work area of its own, so that the condition's
    // fields refer to the source record.
    std::unique_ptr<WorkArea> src(
        new WorkArea(store_, std::make_unique<DbfFile>(file, OpenMode::ReadOnly), "__append_from__"));
    Expr cond;
    if (!condition.empty()) cond = src->compile(condition);
    struct Pair {
        const FieldInfo* from;
        Field to;
    };
    std::vector<Pair> pairs;
    for (const FieldInfo& f : src->fields()) {
        auto t = findField(f.name);
        if (t && info(*t).type == f.type) pairs.push_back({&f, *t});
    }
    std::uint32_t n = src->dbf_->recordCount();
    for (std::uint32_t r = 1; r <= n; ++r) {
        src->load(r, false);
        if (settings().deletedHidden && src->deleted()) continue;
        if (cond.valid() && !cond.test()) continue;
        if (!appendBlank())
            throw StoreError(ErrorKind::Io, "No se pudo agregar registros a " + this->path() +
                                                ": otra estación la está actualizando");
        for (const Pair& p : pairs) {
            const char* s = src->rec_;
            if (p.from->type == Type::Char) fieldcodec::writeText(info(p.to), buf_.data(), fieldcodec::readText(*p.from, s));
            else fieldcodec::write(info(p.to), buf_.data(), fieldcodec::read(*p.from, s), this->path());
        }
        flush();
    }
    if (shared()) unlock();
    goBottom();
}

// ================================================================ retry routines

namespace {

bool defaultPause(Store& s, double seconds, bool cancellable) {
    if (s.pause) return s.pause(seconds, cancellable);
    std::this_thread::sleep_for(std::chrono::milliseconds(static_cast<int>(seconds * 1000)));
    return true;
}

// Attempt first; then, while the wait lasts, pause half a second and try again.
// attemptFirstInLoop reproduces the routines that try before each pause.
bool retry(Store& s, std::optional<double> wait, const std::function<bool()>& attempt, bool pauseFirst) {
    if (attempt()) return true;
    bool forever = !wait || *wait == 0;
    bool cancellable = !wait;
    double w = wait.value_or(0);
    while (forever || w > 0) {
        if (pauseFirst) {
            if (!defaultPause(s, 0.5, cancellable)) return false;
            w -= 0.5;
            if (attempt()) return true;
        } else {
            if (attempt()) return true;
            if (!defaultPause(s, 0.5, cancellable)) return false;
            w -= 0.5;
        }
    }
    return false;
}

}  // namespace

bool REC_LOCK(Store& s, std::optional<double> wait) {
    WorkArea& a = s.current();
    return retry(s, wait, [&] { return a.recLock(); }, false);
}

bool ADD_REC(Store& s, std::optional<double> wait) {
    WorkArea& a = s.current();
    return retry(s, wait, [&] { return a.appendBlank() && !s.netErr(); }, false);
}

bool F_LFOCK(Store& s, std::optional<double> wait) {
    WorkArea& a = s.current();
    return retry(s, wait, [&] { return a.fileLock(); }, true);
}

bool F_BUSCA(Store& s, std::string_view alias, int order, const Value& key) {
    WorkArea* caller = s.hasCurrent() ? &s.current() : nullptr;
    std::string callerAlias = caller ? caller->alias() : std::string();
    int callerOrder = caller ? caller->order() : 0;
    WorkArea& a = s.select(alias);
    a.setOrder(order);
    bool found = a.seek(key, false);
    if (caller) s.select(callerAlias).setOrder(callerOrder);
    return found;
}

}  // namespace store
