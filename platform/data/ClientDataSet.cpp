#include "ClientDataSet.h"

#include <QDate>
#include <QDateTime>

#include "SharedScan.h"

#include <algorithm>
#include <array>
#include <unordered_map>
#include <numeric>

// Storage: every record ever loaded or inserted lives in `store` (a vector, never erased
// from in the middle during editing); `view` lists the store positions of the visible
// records in the order of the active index, in blocks.  Deleting or inserting a record
// moves only integers of one block of the view.  Deleted records stay in the store (for the delta and for
// cancelUpdates) until the change log is merged or cancelled.
//
// A record keeps its current values; a modified or deleted one also keeps a shared copy of
// the values it had at load (or at the last merge).  While editing, the values being
// typed live in `buffer`; they become the record's values on post.
//
// An edit that brings every field back to its original value drops out of the change log
// (the record is unmodified again and is not part of the delta).

namespace {

// A first search over at least this many records is shared out in chunks of the second
// number between this thread and the pool's.
constexpr int kSharedScanRows = 32768;
constexpr int kSharedScanChunk = 8192;

enum class RowState : quint8 {
    Unmodified,
    Modified,
    Inserted,
    Deleted,
    Discarded, // inserted then deleted, or deleted while the log was off: gone for good
    Pending,   // being inserted, not posted yet
};

struct Record
{
    QVariantList values;
    std::shared_ptr<const QVariantList> original; // Modified, and Deleted after a modify
    double order = 0;                              // natural (load / insert) order
    RowState state = RowState::Unmodified;
};

struct SortKey
{
    int slot;
    FieldType type;
    bool caseInsensitive;
    bool descending;
};

struct NamedIndex
{
    QString name;
    QString fields;
    IndexOptions options;
};

bool isStringType(FieldType type)
{
    return type == FieldType::String || type == FieldType::FixedString || type == FieldType::Memo;
}

int metaTypeOf(FieldType type)
{
    switch (type) {
    case FieldType::Integer: return QMetaType::LongLong;
    case FieldType::Float: return QMetaType::Double;
    case FieldType::Boolean: return QMetaType::Bool;
    case FieldType::Date: return QMetaType::QDate;
    case FieldType::DateTime: return QMetaType::QDateTime;
    default: return QMetaType::QString;
    }
}

// The QString inside a QVariant without copying it (values are normalized to the
// field's type, so the fallback copy is rare).
inline const QString &stringOf(const QVariant &v, QString &scratch)
{
    if (v.metaType().id() == QMetaType::QString)
        return *static_cast<const QString *>(v.constData());
    scratch = v.toString();
    return scratch;
}

inline double doubleOf(const QVariant &v)
{
    if (v.metaType().id() == QMetaType::Double)
        return *static_cast<const double *>(v.constData());
    return v.toDouble();
}

inline qlonglong longOf(const QVariant &v)
{
    if (v.metaType().id() == QMetaType::LongLong)
        return *static_cast<const qlonglong *>(v.constData());
    return v.toLongLong();
}

template<typename T>
int threeWay(const T &a, const T &b)
{
    return a < b ? -1 : (b < a ? 1 : 0);
}

// Orders two values of a field: nulls first, then by the type's natural order.
int compareValues(const QVariant &a, const QVariant &b, FieldType type, bool caseInsensitive)
{
    const bool an = !a.isValid(), bn = !b.isValid();
    if (an || bn)
        return an == bn ? 0 : (an ? -1 : 1);
    switch (type) {
    case FieldType::Integer:
        return threeWay(longOf(a), longOf(b));
    case FieldType::Float:
        return threeWay(doubleOf(a), doubleOf(b));
    case FieldType::Boolean:
        return threeWay(int(a.toBool()), int(b.toBool()));
    case FieldType::Date:
        return threeWay(a.toDate().toJulianDay(), b.toDate().toJulianDay());
    case FieldType::DateTime:
        return threeWay(a.toDateTime(), b.toDateTime());
    default: {
        QString sa, sb;
        const int c = QString::compare(stringOf(a, sa), stringOf(b, sb),
                                       caseInsensitive ? Qt::CaseInsensitive : Qt::CaseSensitive);
        return c < 0 ? -1 : (c > 0 ? 1 : 0);
    }
    }
}

inline char16_t foldChar(char16_t c)
{
    if (c < 128)
        return (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c;
    return QChar::toCaseFolded(char32_t(c));
}

// `key` is already case-folded.
inline bool equalFolded(const QChar *text, const QChar *key, qsizetype n)
{
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t k = key[i].unicode();
        const char16_t t = text[i].unicode();
        if (t != k && foldChar(t) != k)
            return false;
    }
    return true;
}

QStringList splitFieldNames(const QString &names)
{
    QStringList list = names.split(u';', Qt::SkipEmptyParts);
    for (QString &n : list)
        n = n.trimmed();
    list.removeAll(QString());
    return list;
}

// One key of a search, prepared once so that the scan over the rows compares cheaply.
struct SearchKey
{
    int slot;
    FieldType type;
    QVariant value;   // converted to the field's type; invalid for a null key
    QString folded;   // string keys: the text, case-folded when case-insensitive
};

// A compact digest of a string value, kept per record for the fields that locate
// searches: the scan compares these from one contiguous array and only reads the text
// of the records whose digest matches.
struct KeySummary
{
    static constexpr quint32 NullLength = 0xFFFFFFFFu;
    quint32 hash = 0;        // of the case-folded text
    quint32 length = NullLength;
    quint64 prefix = 0;      // the first four case-folded characters
};

KeySummary summarize(QStringView text)
{
    KeySummary k;
    k.length = quint32(text.size());
    quint32 h = 2166136261u;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = foldChar(text[i].unicode());
        h = (h ^ c) * 16777619u;
        if (i < 4)
            k.prefix |= quint64(c) << (16 * i);
    }
    k.hash = h;
    return k;
}

KeySummary summarize(const QVariant &v)
{
    if (!v.isValid())
        return KeySummary();
    QString scratch;
    return summarize(QStringView(stringOf(v, scratch)));
}

// The visible records in index order, as store positions.  Kept in blocks of at most
// MaxBlock entries with each block's first row, so that inserting or deleting in the
// middle of a large dataset moves one block and the block starts, not every row after it.
class RowOrder
{
public:
    static constexpr int MaxBlock = 1024;

    int size() const { return m_size; }
    bool empty() const { return m_size == 0; }
    int operator[](int row) const
    {
        const int b = blockOf(row);
        return m_blocks[b][row - m_starts[b]];
    }
    void clear()
    {
        m_blocks.clear();
        m_starts.clear();
        m_size = 0;
    }
    void assign(const std::vector<int> &ids)
    {
        clear();
        const size_t step = MaxBlock / 2;
        for (size_t i = 0; i < ids.size(); i += step)
            m_blocks.emplace_back(ids.begin() + qsizetype(i), ids.begin() + qsizetype(std::min(i + step, ids.size())));
        m_size = int(ids.size());
        restart(0);
    }
    std::vector<int> toVector() const
    {
        std::vector<int> out;
        out.reserve(size_t(m_size));
        for (const auto &b : m_blocks)
            out.insert(out.end(), b.begin(), b.end());
        return out;
    }
    void insert(int row, int id)
    {
        if (m_blocks.empty()) {
            m_blocks.push_back({id});
            m_size = 1;
            restart(0);
            return;
        }
        const int b = row >= m_size ? int(m_blocks.size()) - 1 : blockOf(row);
        std::vector<int> &block = m_blocks[b];
        block.insert(block.begin() + (row - m_starts[b]), id);
        ++m_size;
        if (int(block.size()) > MaxBlock) {
            std::vector<int> tail(block.begin() + MaxBlock / 2, block.end());
            block.resize(MaxBlock / 2);
            m_blocks.insert(m_blocks.begin() + b + 1, std::move(tail));
        }
        restart(b);
    }
    void erase(int row)
    {
        const int b = blockOf(row);
        std::vector<int> &block = m_blocks[b];
        block.erase(block.begin() + (row - m_starts[b]));
        --m_size;
        if (block.empty())
            m_blocks.erase(m_blocks.begin() + b);
        restart(b);
    }
    // The first row whose record satisfies pred, -1 when none; a sequential walk.
    template<typename Pred>
    int findRow(Pred &&pred) const
    {
        int row = 0;
        for (const auto &b : m_blocks) {
            for (int id : b) {
                if (pred(id))
                    return row;
                ++row;
            }
        }
        return -1;
    }
    // The same walk over the rows first .. last - 1, telling `ahead` the records `distance`
    // rows further on first, so that a scan over records scattered in memory can fetch them
    // before it needs them.
    template<typename Pred, typename Ahead>
    int findRowIn(int first, int last, Pred &&pred, Ahead &&ahead, int distance) const
    {
        last = std::min(last, m_size);
        if (first >= last)
            return -1;
        const size_t startBlock = size_t(blockOf(first));
        const size_t startAt = size_t(first - m_starts[startBlock]);
        size_t aheadBlock = startBlock, aheadAt = startAt;
        int aheadRow = first;
        auto advance = [this](size_t &b, size_t &i) {
            if (++i == m_blocks[b].size()) {
                ++b;
                i = 0;
            }
        };
        for (int k = 0; k < distance && aheadRow < last; ++k, ++aheadRow) {
            ahead(m_blocks[aheadBlock][aheadAt]);
            advance(aheadBlock, aheadAt);
        }
        size_t b = startBlock, i = startAt;
        for (int row = first; row < last; ++row) {
            if (aheadRow < last) {
                ahead(m_blocks[aheadBlock][aheadAt]);
                advance(aheadBlock, aheadAt);
                ++aheadRow;
            }
            if (pred(m_blocks[b][i]))
                return row;
            advance(b, i);
        }
        return -1;
    }
    void remapIds(const std::vector<int> &remap)
    {
        for (auto &b : m_blocks)
            for (int &id : b)
                id = remap[id];
    }

private:
    int blockOf(int row) const
    {
        const auto it = std::upper_bound(m_starts.begin(), m_starts.end(), row);
        return int(it - m_starts.begin()) - 1;
    }
    void restart(int from)
    {
        m_starts.resize(m_blocks.size());
        int start = from > 0 ? m_starts[from - 1] + int(m_blocks[from - 1].size()) : 0;
        for (size_t i = size_t(std::max(from, 0)); i < m_blocks.size(); ++i) {
            m_starts[i] = start;
            start += int(m_blocks[i].size());
        }
    }

    std::vector<std::vector<int>> m_blocks;
    std::vector<int> m_starts;
    int m_size = 0;
};

} // namespace

struct ClientDataSet::Private
{
    std::vector<std::unique_ptr<Field>> fields; // data fields, then calculated fields
    std::vector<std::unique_ptr<Field>> retired; // fields that the last packet dropped
    int dataFieldCount = 0;

    std::vector<Record> store;
    RowOrder view;
    int cur = -1;
    bool bof = true;
    bool eof = true;
    double nextOrder = 0;

    QVariantList buffer;     // values being edited or inserted
    bool modified = false;
    int returnRow = -1;      // row to go back to when an insert is cancelled

    int changes = 0;         // rows in the delta
    int deadRows = 0;        // Deleted / Discarded records still in the store
    bool logChanges = true;

    QString indexFieldNames;
    QString indexName;
    std::vector<NamedIndex> indexes;
    std::vector<SortKey> keys;

    int disableCount = 0;

    // Digests of string fields by store position, built by the first locate on a field.
    mutable std::unordered_map<int, std::vector<KeySummary>> summaries;

    // Fields searched once without a digest: the second search builds it, so a single
    // locate after a load costs one plain scan.
    mutable std::unordered_map<int, int> plainScans;

    void dropSummaries()
    {
        summaries.clear();
        plainScans.clear();
    }
    KeySummary summaryOf(int id, int slot) const
    {
        const QVariantList &values = store[id].values;
        return slot < values.size() ? summarize(values.at(slot)) : KeySummary(); // merged-away rows have none
    }
    void truncateSummaries()
    {
        for (auto &entry : summaries) {
            if (entry.second.size() > store.size())
                entry.second.resize(store.size());
        }
    }
    void refreshSummaries(int id)
    {
        for (auto &[slot, vec] : summaries) {
            if (id < int(vec.size()))
                vec[id] = summaryOf(id, slot);
        }
    }
    const std::vector<KeySummary> &summariesOf(int slot) const
    {
        std::vector<KeySummary> &vec = summaries[slot];
        if (vec.size() < store.size()) {
            const size_t from = vec.size();
            vec.resize(store.size());
            for (size_t id = from; id < store.size(); ++id)
                vec[id] = summaryOf(int(id), slot);
        }
        return vec;
    }

    // Reading context: a view reading another row through the fields, or onCalcFields
    // computing the calculated values of a row.
    int readRow = -1;
    const QVariantList *calcSource = nullptr;
    QVariantList *calcValues = nullptr;

    bool editing(DataSetState s) const { return s == DataSetState::Edit || s == DataSetState::Insert; }

    int fieldCount() const { return int(fields.size()); }
    int calcCount() const { return int(fields.size()) - dataFieldCount; }

    Field *find(const QString &name) const
    {
        for (const auto &f : fields) {
            if (f->fieldName().compare(name, Qt::CaseInsensitive) == 0)
                return f.get();
        }
        return nullptr;
    }

    void setRowState(Record &r, RowState s)
    {
        auto inLog = [](RowState x) {
            return x == RowState::Modified || x == RowState::Inserted || x == RowState::Deleted;
        };
        auto dead = [](RowState x) { return x == RowState::Deleted || x == RowState::Discarded; };
        changes += int(inLog(s)) - int(inLog(r.state));
        deadRows += int(dead(s)) - int(dead(r.state));
        r.state = s;
    }

    bool lessByKeys(const Record &a, const Record &b) const
    {
        for (const SortKey &k : keys) {
            int c = compareValues(a.values.at(k.slot), b.values.at(k.slot), k.type, k.caseInsensitive);
            if (k.descending)
                c = -c;
            if (c)
                return c < 0;
        }
        return a.order < b.order;
    }

    void sortView()
    {
        std::vector<int> ids = view.toVector();
        std::sort(ids.begin(), ids.end(), [this](int a, int b) {
            return lessByKeys(store[a], store[b]);
        });
        view.assign(ids);
    }

    void resolveKeys(const QString &names, IndexOptions options, bool strict)
    {
        std::vector<SortKey> k;
        for (const QString &n : splitFieldNames(names)) {
            Field *f = find(n);
            if (!f || f->fieldKind() != FieldKind::Data) {
                if (strict)
                    throw DataSetError(tr("Field '%1' not found").arg(n));
                continue;
            }
            k.push_back({f->m_slot, f->dataType(), options.testFlag(IndexOption::CaseInsensitive),
                         options.testFlag(IndexOption::Descending)});
        }
        keys = std::move(k);
    }

    void resolveActiveIndex(bool strict)
    {
        if (!indexName.isEmpty()) {
            for (const NamedIndex &ix : indexes) {
                if (ix.name.compare(indexName, Qt::CaseInsensitive) == 0) {
                    resolveKeys(ix.fields, ix.options, strict);
                    return;
                }
            }
            keys.clear();
        } else {
            resolveKeys(indexFieldNames, {}, strict);
        }
    }

    // Natural order when no index is active.
    void rebuildView()
    {
        std::vector<int> ids;
        ids.reserve(store.size());
        for (int i = 0; i < int(store.size()); ++i) {
            const RowState s = store[i].state;
            if (s != RowState::Deleted && s != RowState::Discarded)
                ids.push_back(i);
        }
        if (!keys.empty()) {
            std::sort(ids.begin(), ids.end(),
                      [this](int a, int b) { return lessByKeys(store[a], store[b]); });
        } else {
            std::sort(ids.begin(), ids.end(),
                      [this](int a, int b) { return store[a].order < store[b].order; });
        }
        view.assign(ids);
    }

    int rowOfRecord(int id) const
    {
        return view.findRow([id](int x) { return x == id; });
    }

    // Removes Deleted / Discarded records from the store, keeping the view's order.
    void compact()
    {
        if (deadRows == 0)
            return;
        std::vector<int> remap(store.size(), -1);
        std::vector<Record> kept;
        kept.reserve(store.size() - size_t(deadRows));
        for (int i = 0; i < int(store.size()); ++i) {
            const RowState s = store[i].state;
            if (s == RowState::Deleted || s == RowState::Discarded)
                continue;
            remap[i] = int(kept.size());
            kept.push_back(std::move(store[i]));
        }
        store = std::move(kept);
        view.remapIds(remap);
        for (auto &entry : summaries) {
            std::vector<KeySummary> &vec = entry.second;
            std::vector<KeySummary> moved;
            moved.reserve(store.size());
            for (size_t i = 0; i < vec.size() && i < remap.size(); ++i) {
                if (remap[i] >= 0)
                    moved.push_back(vec[i]);
            }
            vec = std::move(moved);
        }
        deadRows = 0;
    }

    std::vector<SearchKey> searchKeys(const QString &keyFields, const QVariant &keyValues,
                                      bool caseInsensitive) const
    {
        const QStringList names = splitFieldNames(keyFields);
        QVariantList values;
        if (names.size() == 1 && keyValues.metaType().id() != QMetaType::QVariantList)
            values << keyValues;
        else
            values = keyValues.toList();
        if (names.isEmpty() || values.size() != names.size())
            throw DataSetError(tr("Locate needs one value for each of the fields '%1'").arg(keyFields));
        std::vector<SearchKey> out;
        for (int i = 0; i < names.size(); ++i) {
            Field *f = find(names.at(i));
            if (!f || f->fieldKind() != FieldKind::Data)
                throw DataSetError(tr("Field '%1' not found").arg(names.at(i)));
            SearchKey k{f->m_slot, f->dataType(), QVariant(), QString()};
            const QVariant &v = values.at(i);
            if (v.isValid()) {
                if (isStringType(k.type)) {
                    k.folded = v.toString();
                    if (caseInsensitive)
                        k.folded = k.folded.toCaseFolded();
                    k.value = k.folded;
                } else {
                    try {
                        k.value = f->convert(v);
                    } catch (const DataSetError &) {
                        k.value = QVariant();
                        k.folded = QStringLiteral("\x01"); // a key no row can match
                        k.type = FieldType::String;
                    }
                }
            }
            out.push_back(std::move(k));
        }
        return out;
    }

    bool matches(const QVariantList &values, const std::vector<SearchKey> &keys,
                 bool caseInsensitive, bool partial) const
    {
        for (const SearchKey &k : keys) {
            const QVariant &v = values.at(k.slot);
            if (!k.value.isValid()) {
                if (!k.folded.isEmpty())
                    return false; // an unconvertible key
                if (v.isValid())
                    return false;
                continue;
            }
            if (!v.isValid())
                return false;
            if (isStringType(k.type)) {
                QString scratch;
                const QString &s = stringOf(v, scratch);
                const qsizetype n = k.folded.size();
                if (partial ? s.size() < n : s.size() != n)
                    return false;
                if (caseInsensitive) {
                    if (!equalFolded(s.constData(), k.folded.constData(), n))
                        return false;
                } else if (QStringView(s).left(n) != k.folded) {
                    return false;
                }
            } else if (compareValues(v, k.value, k.type, false) != 0) {
                return false;
            }
        }
        return true;
    }

    int search(const std::vector<SearchKey> &keys, LocateOptions options) const
    {
        const bool ci = options.testFlag(LocateOption::CaseInsensitive);
        const bool partial = options.testFlag(LocateOption::PartialKey);
        // Filter on the digest of the first string key, then compare the candidates fully.
        const SearchKey *filter = nullptr;
        for (const SearchKey &k : keys) {
            if (isStringType(k.type) && (k.value.isValid() || k.folded.isEmpty())) {
                filter = &k;
                break;
            }
        }
        if (filter && !summaries.count(filter->slot) && plainScans[filter->slot]++ == 0) {
            // One plain scan.  The text of each record lies somewhere else in memory: ask
            // for the value a few records ahead, then for its text, so that the waits overlap
            // instead of coming one after the other.  A large dataset is scanned in ranges
            // by several threads at once (the records are only read meanwhile).
            const int slot = filter->slot;
            const auto scanRows = [&](int first, int last) {
                constexpr int kAhead = 16;
                std::array<int, kAhead> window;
                window.fill(-1);
                int next = 0;
                return view.findRowIn(
                    first, last,
                    [&](int id) {
                        const Record &r = store[id];
                        return r.state != RowState::Pending && matches(r.values, keys, ci, partial);
                    },
                    [&](int id) {
                        const QVariantList &values = store[id].values;
                        if (slot < values.size())
                            __builtin_prefetch(values.constData() + slot);
                        const int earlier = std::exchange(window[next], id);
                        next = (next + 1) % kAhead;
                        if (earlier >= 0) {
                            const QVariantList &ev = store[earlier].values;
                            if (slot < ev.size() && ev.at(slot).metaType().id() == QMetaType::QString)
                                __builtin_prefetch(static_cast<const QString *>(ev.at(slot).constData())->constData());
                        }
                    },
                    2 * kAhead);
            };
            if (view.size() >= kSharedScanRows)
                return findFirstShared(view.size(), kSharedScanChunk, scanRows);
            return scanRows(0, view.size());
        }
        if (!filter) {
            return view.findRow([&](int id) {
                const Record &r = store[id];
                return r.state != RowState::Pending && matches(r.values, keys, ci, partial);
            });
        }
        const std::vector<KeySummary> &digest = summariesOf(filter->slot);
        KeySummary want;
        quint64 prefixMask = 0;
        if (filter->value.isValid()) {
            want = summarize(QStringView(filter->folded.toCaseFolded()));
            const qsizetype n = std::min<qsizetype>(4, filter->folded.size());
            prefixMask = n >= 4 ? ~quint64(0) : ((quint64(1) << (16 * n)) - 1);
        }
        const bool nullKey = !filter->value.isValid();
        return view.findRow([&](int id) {
            const KeySummary &k = digest[id];
            if (nullKey || !partial) {
                if (k.length != want.length || k.hash != want.hash)
                    return false;
            } else if (k.length == KeySummary::NullLength || k.length < want.length
                       || (k.prefix & prefixMask) != want.prefix) {
                return false;
            }
            const Record &r = store[id];
            return r.state != RowState::Pending && matches(r.values, keys, ci, partial);
        });
    }

    // Spreads the natural order out again, keeping it: every record, deleted ones too.
    void renumberOrder()
    {
        std::vector<int> ids(store.size());
        std::iota(ids.begin(), ids.end(), 0);
        std::stable_sort(ids.begin(), ids.end(),
                         [this](int a, int b) { return store[a].order < store[b].order; });
        for (size_t i = 0; i < ids.size(); ++i)
            store[ids[i]].order = double(i);
        nextOrder = double(ids.size());
    }

    void applyIndex()
    {
        const int id = cur >= 0 ? view[cur] : -1;
        rebuildView();
        if (id >= 0)
            cur = rowOfRecord(id);
    }

    // Restores the reading context when a view or onCalcFields is done with a row.
    struct ContextGuard
    {
        explicit ContextGuard(Private *d)
            : m_d(d), m_row(d->readRow), m_source(d->calcSource), m_values(d->calcValues) {}
        ~ContextGuard()
        {
            m_d->readRow = m_row;
            m_d->calcSource = m_source;
            m_d->calcValues = m_values;
        }
        Private *m_d;
        int m_row;
        const QVariantList *m_source;
        QVariantList *m_values;
    };
};

ClientDataSet::ClientDataSet(QObject *parent) : QObject(parent), d(std::make_unique<Private>()) {}

ClientDataSet::~ClientDataSet() = default;

// --- structure -------------------------------------------------------------------------

QList<FieldDef> ClientDataSet::fieldDefs() const
{
    QList<FieldDef> defs;
    for (int i = 0; i < d->dataFieldCount; ++i)
        defs.append(d->fields[i]->def());
    return defs;
}

void ClientDataSet::setFieldDefs(const QList<FieldDef> &defs)
{
    if (active())
        throw DataSetError(tr("Cannot change the fields of an open dataset"));
    // Fields keep their identity (and presentation) when their names match.
    std::vector<std::unique_ptr<Field>> data;
    std::vector<std::unique_ptr<Field>> calc;
    for (auto &f : d->fields) {
        if (f->fieldKind() == FieldKind::Calculated)
            calc.push_back(std::move(f));
        else
            data.push_back(std::move(f));
    }
    d->fields.clear();
    for (const FieldDef &def : defs) {
        auto it = std::find_if(data.begin(), data.end(), [&](const std::unique_ptr<Field> &f) {
            return f && f->fieldName().compare(def.name, Qt::CaseInsensitive) == 0;
        });
        std::unique_ptr<Field> f;
        if (it != data.end()) {
            f = std::move(*it);
            const bool required = f->m_requiredSet ? f->m_def.required : def.required;
            f->m_def = def;
            f->m_def.required = required;
        } else {
            f = std::make_unique<Field>(this, def, FieldKind::Data, 0);
        }
        d->fields.push_back(std::move(f));
    }
    for (auto &f : data) {
        if (f) {
            f->m_slot = -1;
            d->retired.push_back(std::move(f));
        }
    }
    d->dataFieldCount = int(d->fields.size());
    for (auto &f : calc)
        d->fields.push_back(std::move(f));
    for (int i = 0; i < int(d->fields.size()); ++i) {
        d->fields[i]->m_index = i;
        d->fields[i]->m_slot = i < d->dataFieldCount ? i : i - d->dataFieldCount;
    }
    // Rows of the old structure no longer fit.
    d->store.clear();
    d->dropSummaries();
    d->view.clear();
    d->changes = d->deadRows = 0;
    d->cur = -1;
}

void ClientDataSet::addFieldDef(const QString &name, FieldType type, int size, bool required)
{
    QList<FieldDef> defs = fieldDefs();
    defs.append(FieldDef{name, type, size, required});
    setFieldDefs(defs);
}

Field *ClientDataSet::addCalculatedField(const QString &name, FieldType type, int size)
{
    if (Field *existing = d->find(name)) {
        if (existing->fieldKind() == FieldKind::Calculated)
            return existing;
        throw DataSetError(tr("Field '%1' already exists").arg(name));
    }
    auto f = std::make_unique<Field>(this, FieldDef{name, type, size, false}, FieldKind::Calculated,
                                     int(d->fields.size()));
    f->m_slot = d->calcCount();
    Field *raw = f.get();
    d->fields.push_back(std::move(f));
    fieldLayoutChanged();
    return raw;
}

void ClientDataSet::createDataSet()
{
    if (d->dataFieldCount == 0)
        throw DataSetError(tr("No field definitions to create the dataset from"));
    if (beforeOpen)
        beforeOpen(*this);
    d->store.clear();
    d->dropSummaries();
    d->view.clear();
    d->buffer.clear();
    d->changes = d->deadRows = 0;
    d->cur = -1;
    d->bof = d->eof = true;
    d->nextOrder = 0;
    d->resolveActiveIndex(false);
    setState(DataSetState::Browse);
    if (!d->disableCount) {
        emit dataReset();
        emit currentRowChanged(-1);
    }
    if (afterOpen)
        afterOpen(*this);
    if (afterScroll)
        afterScroll(*this);
}

// --- data ----------------------------------------------------------------------------------

void ClientDataSet::setData(const DataPacket &packet)
{
    if (packet.isDelta())
        throw DataSetError(tr("A delta packet cannot be loaded as data"));
    if (beforeOpen)
        beforeOpen(*this);

    // Rows first, converted to the packet's field types, so that a bad packet leaves the
    // dataset as it was.
    const QList<FieldDef> &defs = packet.fields();
    const int nf = int(defs.size());
    std::vector<int> expected(nf);
    std::vector<std::unique_ptr<Field>> converters;
    for (int i = 0; i < nf; ++i) {
        expected[i] = metaTypeOf(defs.at(i).type);
        converters.push_back(std::make_unique<Field>(this, defs.at(i), FieldKind::Data, i));
    }
    std::vector<Record> store;
    store.reserve(packet.rows().size());
    double order = 0;
    for (const QVariantList &row : packet.rows()) {
        Record r;
        r.values = row; // shared with the packet until changed
        r.order = order++;
        if (r.values.size() != nf) {
            if (r.values.size() > nf)
                r.values.resize(nf);
            else
                while (r.values.size() < nf)
                    r.values.append(QVariant());
        }
        for (int i = 0; i < nf; ++i) {
            const QVariant &v = std::as_const(r.values).at(i);
            if (v.isValid() && v.metaType().id() != expected[i])
                r.values[i] = converters[i]->convert(v);
        }
        store.push_back(std::move(r));
    }

    // Structure: fields whose names match keep their identity and presentation.
    const DataSetState previous = m_state;
    d->buffer.clear();
    if (defs != fieldDefs() || d->dataFieldCount == 0) {
        m_state = DataSetState::Inactive;
        setFieldDefs(defs);
        m_state = previous;
    }
    d->store = std::move(store);
    d->dropSummaries();
    d->nextOrder = order;
    d->changes = d->deadRows = 0;
    d->modified = false;
    d->resolveActiveIndex(false);
    {
        std::vector<int> ids(d->store.size());
        std::iota(ids.begin(), ids.end(), 0);
        d->view.assign(ids);
    }
    if (!d->keys.empty())
        d->sortView();
    d->cur = d->view.empty() ? -1 : 0;
    d->bof = true;
    d->eof = d->view.empty();

    setState(DataSetState::Browse);
    if (!d->disableCount) {
        emit dataReset();
        emit currentRowChanged(d->cur);
    }
    if (afterOpen)
        afterOpen(*this);
    if (afterScroll)
        afterScroll(*this);
}

DataPacket ClientDataSet::data() const
{
    DataPacket p(fieldDefs());
    std::vector<int> ids;
    ids.reserve(d->store.size());
    for (int i = 0; i < int(d->store.size()); ++i) {
        const RowState s = d->store[i].state;
        if (s != RowState::Deleted && s != RowState::Discarded && s != RowState::Pending)
            ids.push_back(i);
    }
    std::stable_sort(ids.begin(), ids.end(),
                     [this](int a, int b) { return d->store[a].order < d->store[b].order; });
    p.rows().reserve(qsizetype(ids.size()));
    for (int id : ids)
        p.appendRow(d->store[id].values);
    return p;
}

void ClientDataSet::copyDataFrom(const ClientDataSet &other)
{
    setData(other.data());
}

void ClientDataSet::emptyDataSet()
{
    checkActive();
    d->store.clear();
    d->dropSummaries();
    d->view.clear();
    d->buffer.clear();
    d->modified = false;
    d->changes = d->deadRows = 0;
    d->cur = -1;
    d->bof = d->eof = true;
    setState(DataSetState::Browse);
    if (!d->disableCount) {
        emit dataReset();
        emit currentRowChanged(-1);
    }
}

// --- change log ------------------------------------------------------------------------------

int ClientDataSet::changeCount() const { return d->changes; }
bool ClientDataSet::logChanges() const { return d->logChanges; }
void ClientDataSet::setLogChanges(bool on) { d->logChanges = on; }

DataPacket ClientDataSet::delta() const
{
    DataPacket p(fieldDefs());
    p.setDelta(true);
    p.changes().reserve(d->changes);
    for (const Record &r : d->store) {
        switch (r.state) {
        case RowState::Modified:
            p.appendChange(DeltaRow{RowChange::Modify, *r.original, r.values});
            break;
        case RowState::Inserted:
            p.appendChange(DeltaRow{RowChange::Insert, QVariantList(), r.values});
            break;
        case RowState::Deleted:
            p.appendChange(DeltaRow{RowChange::Delete, r.original ? *r.original : r.values, QVariantList()});
            break;
        default:
            break;
        }
    }
    return p;
}

void ClientDataSet::mergeChangeLog()
{
    for (Record &r : d->store) {
        switch (r.state) {
        case RowState::Modified:
        case RowState::Inserted:
            r.original.reset();
            r.state = RowState::Unmodified;
            break;
        case RowState::Deleted:
            r.state = RowState::Discarded;
            r.original.reset();
            r.values = QVariantList();
            break;
        default:
            break;
        }
    }
    d->changes = 0;
    // Merged-away records are skipped everywhere; the store is compacted only once they
    // make up a good part of it, so a merge stays a single pass over the records.
    if (d->deadRows * 4 > int(d->store.size()))
        d->compact();
    if (!d->disableCount)
        emit valuesChanged();
}

void ClientDataSet::cancelUpdates()
{
    if (d->editing(m_state))
        cancel();
    const int currentId = d->cur >= 0 ? d->view[d->cur] : -1;
    const int oldRow = d->cur;
    std::vector<int> remap(d->store.size(), -1);
    std::vector<Record> kept;
    kept.reserve(d->store.size());
    for (int i = 0; i < int(d->store.size()); ++i) {
        Record &r = d->store[i];
        switch (r.state) {
        case RowState::Inserted:
        case RowState::Discarded:
        case RowState::Pending:
            continue;
        case RowState::Modified:
        case RowState::Deleted:
            if (r.original)
                r.values = *r.original;
            r.original.reset();
            r.state = RowState::Unmodified;
            break;
        case RowState::Unmodified:
            break;
        }
        remap[i] = int(kept.size());
        kept.push_back(std::move(r));
    }
    d->store = std::move(kept);
    d->dropSummaries();
    d->changes = d->deadRows = 0;
    d->rebuildView();
    const int newId = currentId >= 0 ? remap[currentId] : -1;
    d->cur = newId >= 0 ? d->rowOfRecord(newId)
                        : (d->view.empty() ? -1 : std::clamp(oldRow, 0, int(d->view.size()) - 1));
    d->bof = d->cur <= 0;
    d->eof = d->view.empty();
    if (!d->disableCount) {
        emit dataReset();
        emit currentRowChanged(d->cur);
    }
}

UpdateStatus ClientDataSet::updateStatus() const
{
    return updateStatusAt(d->cur);
}

UpdateStatus ClientDataSet::updateStatusAt(int row) const
{
    if (!active() || row < 0 || row >= int(d->view.size()))
        return UpdateStatus::Unmodified;
    switch (d->store[d->view[row]].state) {
    case RowState::Modified: return UpdateStatus::Modified;
    case RowState::Inserted:
    case RowState::Pending: return UpdateStatus::Inserted;
    case RowState::Deleted: return UpdateStatus::Deleted;
    default: return UpdateStatus::Unmodified;
    }
}

// --- open / close / state ---------------------------------------------------------------------

void ClientDataSet::open()
{
    if (active())
        return;
    if (d->fields.empty())
        throw DataSetError(tr("The dataset has no fields"));
    if (beforeOpen)
        beforeOpen(*this);
    d->resolveActiveIndex(false);
    d->rebuildView();
    d->cur = d->view.empty() ? -1 : 0;
    d->bof = true;
    d->eof = d->view.empty();
    setState(DataSetState::Browse);
    if (!d->disableCount) {
        emit dataReset();
        emit currentRowChanged(d->cur);
    }
    if (afterOpen)
        afterOpen(*this);
    if (afterScroll)
        afterScroll(*this);
}

void ClientDataSet::close()
{
    if (!active())
        return;
    if (beforeClose)
        beforeClose(*this);
    if (m_state == DataSetState::Insert) {
        d->view.erase(d->cur);
        d->store.pop_back();
        d->truncateSummaries();
    }
    d->buffer.clear();
    d->modified = false;
    setState(DataSetState::Inactive);
    if (!d->disableCount) {
        emit dataReset();
        emit currentRowChanged(-1);
    }
    if (afterClose)
        afterClose(*this);
}

void ClientDataSet::setState(DataSetState state)
{
    if (m_state == state)
        return;
    m_state = state;
    emit stateChanged(state);
}

void ClientDataSet::checkActive() const
{
    if (!active())
        throw DataSetError(tr("Cannot perform this operation on a closed dataset"));
}

// Leaves edit or insert state the way moving away from a record does: a changed record
// is posted, an untouched one (a new record with only its defaults) is cancelled.
void ClientDataSet::checkBrowseMode()
{
    checkActive();
    if (!d->editing(m_state))
        return;
    // What the views' open editors hold is part of the record: whether it was changed
    // (post) or not (cancel) is decided with it.
    emit updateRecord();
    if (!d->editing(m_state))
        return;
    if (d->modified)
        post();
    else
        cancel();
}

// --- fields ------------------------------------------------------------------------------------

int ClientDataSet::fieldCount() const { return d->fieldCount(); }

Field *ClientDataSet::field(int index) const
{
    if (index < 0 || index >= d->fieldCount())
        throw DataSetError(tr("Field index %1 out of range").arg(index));
    return d->fields[index].get();
}

Field *ClientDataSet::fieldByName(const QString &name) const
{
    Field *f = d->find(name);
    if (!f)
        throw DataSetError(tr("Field '%1' not found").arg(name));
    return f;
}

Field *ClientDataSet::findField(const QString &name) const { return d->find(name); }

QList<Field *> ClientDataSet::fields() const
{
    QList<Field *> list;
    list.reserve(d->fieldCount());
    for (const auto &f : d->fields)
        list.append(f.get());
    return list;
}

void ClientDataSet::fieldLayoutChanged()
{
    if (active() && !d->disableCount)
        emit dataReset();
}

QVariant ClientDataSet::fieldValue(const Field *field) const
{
    if (field->m_slot < 0)
        throw DataSetError(tr("Field '%1' is no longer part of the dataset").arg(field->fieldName()));
    if (field->fieldKind() == FieldKind::Calculated) {
        if (d->calcValues)
            return d->calcValues->value(field->m_slot);
        const int row = d->readRow >= 0 ? d->readRow : d->cur;
        return (active() && row >= 0) ? valueAt(row, field->index()) : QVariant();
    }
    if (d->calcSource)
        return d->calcSource->value(field->m_slot);
    if (!active())
        return QVariant();
    const int row = d->readRow >= 0 ? d->readRow : d->cur;
    if (row < 0 || row >= int(d->view.size()))
        return QVariant();
    if (row == d->cur && d->editing(m_state))
        return d->buffer.at(field->m_slot);
    return d->store[d->view[row]].values.at(field->m_slot);
}

QVariant ClientDataSet::fieldOldValue(const Field *field) const
{
    if (field->m_slot < 0 || field->fieldKind() == FieldKind::Calculated)
        return QVariant();
    const int row = d->readRow >= 0 ? d->readRow : d->cur;
    return oldValueAt(row, field->index());
}

QVariant ClientDataSet::oldValueAt(int row, int fieldIndex) const
{
    if (!active() || row < 0 || row >= int(d->view.size()) || fieldIndex < 0
        || fieldIndex >= d->dataFieldCount)
        return QVariant();
    const Record &r = d->store[d->view[row]];
    if (r.state == RowState::Inserted || r.state == RowState::Pending)
        return QVariant();
    if (r.original)
        return r.original->at(fieldIndex);
    return r.values.at(fieldIndex);
}

void ClientDataSet::setFieldValue(Field *field, const QVariant &value)
{
    if (field->m_slot < 0)
        throw DataSetError(tr("Field '%1' is no longer part of the dataset").arg(field->fieldName()));
    if (d->calcValues) {
        if (field->fieldKind() != FieldKind::Calculated)
            throw DataSetError(tr("Field '%1' cannot be changed while calculating").arg(field->fieldName()));
        (*d->calcValues)[field->m_slot] = value;
        return;
    }
    if (field->fieldKind() == FieldKind::Calculated)
        throw DataSetError(tr("Calculated field '%1' is set only by onCalcFields").arg(field->fieldName()));
    if (!d->editing(m_state))
        throw DataSetError(tr("Dataset not in edit or insert mode"));
    d->buffer[field->m_slot] = value;
    d->modified = true;
    if (!d->disableCount)
        emit fieldChanged(field);
    if (field->onChange)
        field->onChange(*field);
}

// --- navigation -----------------------------------------------------------------------------------

// Moves the current record with the scroll events around it.
void ClientDataSet::scrollTo(int row)
{
    if (beforeScroll)
        beforeScroll(*this);
    d->cur = row;
    if (!d->disableCount)
        emit currentRowChanged(row);
    if (afterScroll)
        afterScroll(*this);
}

void ClientDataSet::first()
{
    checkBrowseMode();
    if (d->view.empty()) {
        d->bof = d->eof = true;
        return;
    }
    if (d->cur != 0)
        scrollTo(0);
    d->bof = true;
    d->eof = false;
}

void ClientDataSet::last()
{
    checkBrowseMode();
    if (d->view.empty()) {
        d->bof = d->eof = true;
        return;
    }
    const int lastRow = int(d->view.size()) - 1;
    if (d->cur != lastRow)
        scrollTo(lastRow);
    d->eof = true;
    d->bof = false;
}

void ClientDataSet::next()
{
    checkBrowseMode();
    if (d->cur + 1 >= int(d->view.size())) {
        d->eof = true;
        return;
    }
    const int row = d->cur + 1;
    scrollTo(row);
    d->bof = d->eof = false;
}

void ClientDataSet::prior()
{
    checkBrowseMode();
    if (d->cur <= 0) {
        d->bof = true;
        return;
    }
    const int row = d->cur - 1;
    scrollTo(row);
    d->bof = d->eof = false;
}

bool ClientDataSet::bof() const { return !active() || d->bof; }
bool ClientDataSet::eof() const { return !active() || d->eof; }
int ClientDataSet::recNo() const { return active() ? d->cur + 1 : 0; }

void ClientDataSet::setRecNo(int recNo)
{
    checkActive();
    if (d->view.empty())
        return;
    int row = std::clamp(recNo, 1, int(d->view.size())) - 1;
    if (row == d->cur)
        return;
    // Posting may move the edited record within the index: follow the target record.
    const int target = d->view[row];
    checkBrowseMode();
    if (row >= d->view.size() || d->view[row] != target)
        row = d->rowOfRecord(target);
    if (row < 0 || row == d->cur)
        return;
    scrollTo(row);
    d->bof = d->eof = false;
}

int ClientDataSet::recordCount() const { return active() ? int(d->view.size()) : 0; }
bool ClientDataSet::isEmpty() const { return recordCount() == 0; }

// --- editing -------------------------------------------------------------------------------------

void ClientDataSet::edit()
{
    checkActive();
    if (d->editing(m_state))
        return;
    if (d->view.empty()) {
        append();
        return;
    }
    if (m_readOnly)
        throw DataSetError(tr("Cannot modify a read-only dataset"));
    if (beforeEdit)
        beforeEdit(*this);
    d->buffer = d->store[d->view[d->cur]].values;
    d->modified = false;
    setState(DataSetState::Edit);
    if (afterEdit)
        afterEdit(*this);
}

void ClientDataSet::insert()
{
    beginNewRecord(false);
}

void ClientDataSet::append()
{
    beginNewRecord(true);
}

// insert() and append(): a pending record before the current one or at the end, the
// insert state, onNewRecord (an exception there cancels the new record), then the
// after-events.
void ClientDataSet::beginNewRecord(bool atEnd)
{
    checkActive();
    if (m_readOnly)
        throw DataSetError(tr("Cannot modify a read-only dataset"));
    checkBrowseMode();
    if (beforeInsert)
        beforeInsert(*this);
    if (beforeScroll)
        beforeScroll(*this);
    const int row = atEnd ? int(d->view.size()) : (d->cur < 0 ? 0 : d->cur);
    Record r;
    if (atEnd || !d->keys.empty() || d->view.empty()) {
        r.order = d->nextOrder++;
    } else {
        double after = d->store[d->view[row]].order;
        double before = row > 0 ? d->store[d->view[row - 1]].order : after - 1;
        if (!(before < (before + after) / 2 && (before + after) / 2 < after)) {
            d->renumberOrder(); // many inserts at one place used up the gap
            after = d->store[d->view[row]].order;
            before = row > 0 ? d->store[d->view[row - 1]].order : after - 1;
        }
        r.order = (before + after) / 2;
    }
    r.state = RowState::Pending;
    d->returnRow = atEnd ? d->cur : row;
    d->store.push_back(std::move(r));
    d->view.insert(row, int(d->store.size()) - 1);
    d->cur = row;
    d->buffer = QVariantList(d->dataFieldCount);
    d->bof = d->eof = false;
    setState(DataSetState::Insert);
    if (!d->disableCount) {
        emit rowInserted(row);
        emit currentRowChanged(row);
    }
    try {
        if (onNewRecord)
            onNewRecord(*this);
    } catch (...) {
        d->modified = false;
        cancel();
        throw;
    }
    d->modified = false;
    if (afterInsert)
        afterInsert(*this);
    if (afterScroll)
        afterScroll(*this);
}

void ClientDataSet::post()
{
    checkActive();
    if (!d->editing(m_state))
        return;
    emit updateRecord();
    if (!d->editing(m_state))
        return; // a view's write cancelled the edit
    if (beforePost)
        beforePost(*this);
    for (int i = 0; i < d->dataFieldCount; ++i) {
        const Field *f = d->fields[i].get();
        if (!f->required())
            continue;
        const QVariant &v = d->buffer.at(i);
        if (!v.isValid() || (isStringType(f->dataType()) && v.toString().isEmpty()))
            throw DataSetError(tr("Field '%1' must have a value").arg(f->displayLabel()));
    }

    const int id = d->view[d->cur];
    Record &r = d->store[id];
    if (m_state == DataSetState::Insert) {
        r.values = std::move(d->buffer);
        r.state = RowState::Unmodified; // counted by setRowState below
        d->setRowState(r, d->logChanges ? RowState::Inserted : RowState::Unmodified);
    } else if (d->logChanges) {
        if (r.state == RowState::Unmodified) {
            if (d->buffer != r.values) {
                r.original = std::make_shared<const QVariantList>(r.values);
                d->setRowState(r, RowState::Modified);
            }
            r.values = std::move(d->buffer);
        } else if (r.state == RowState::Modified) {
            r.values = std::move(d->buffer);
            if (r.values == *r.original) {
                r.original.reset();
                d->setRowState(r, RowState::Unmodified);
            }
        } else {
            r.values = std::move(d->buffer);
        }
    } else {
        // Without the log a posted change is part of the original data too.
        if (r.state == RowState::Modified) {
            QVariantList original = *r.original;
            for (int i = 0; i < d->dataFieldCount; ++i) {
                if (d->buffer.at(i) != r.values.at(i))
                    original[i] = d->buffer.at(i);
            }
            r.values = std::move(d->buffer);
            if (r.values == original) {
                r.original.reset();
                d->setRowState(r, RowState::Unmodified);
            } else {
                r.original = std::make_shared<const QVariantList>(std::move(original));
            }
        } else {
            r.values = std::move(d->buffer);
        }
    }
    d->buffer.clear();
    d->modified = false;
    d->refreshSummaries(id);

    setState(DataSetState::Browse);

    // The record takes its place in the active index; views see it leave its row and
    // arrive at the new one.
    const int oldRow = d->cur;
    bool moved = false;
    if (!d->keys.empty()) {
        const auto less = [this](int a, int b) { return d->lessByKeys(d->store[a], d->store[b]); };
        const bool inPlace = (oldRow == 0 || less(d->view[oldRow - 1], id))
                && (oldRow + 1 >= int(d->view.size()) || less(id, d->view[oldRow + 1]));
        if (!inPlace) {
            moved = true;
            d->view.erase(oldRow);
            if (!d->disableCount)
                emit rowRemoved(oldRow);
            int lo = 0, hi = d->view.size();
            while (lo < hi) {
                const int mid = (lo + hi) / 2;
                if (less(d->view[mid], id))
                    lo = mid + 1;
                else
                    hi = mid;
            }
            const int newRow = lo;
            d->view.insert(newRow, id);
            d->cur = newRow;
            if (!d->disableCount) {
                emit rowInserted(newRow);
                emit currentRowChanged(newRow);
            }
        }
    }
    if (!moved && !d->disableCount)
        emit rowChanged(oldRow);
    if (afterPost)
        afterPost(*this);
}

void ClientDataSet::cancel()
{
    checkActive();
    if (!d->editing(m_state))
        return;
    if (beforeCancel)
        beforeCancel(*this);
    const int row = d->cur;
    if (m_state == DataSetState::Insert) {
        d->view.erase(row);
        d->store.pop_back();
        d->truncateSummaries();
        d->buffer.clear();
        d->modified = false;
        d->cur = d->view.empty() ? -1 : std::clamp(d->returnRow, 0, int(d->view.size()) - 1);
        if (d->view.empty())
            d->bof = d->eof = true;
        setState(DataSetState::Browse);
        if (!d->disableCount) {
            emit rowRemoved(row);
            emit currentRowChanged(d->cur);
        }
    } else {
        d->buffer.clear();
        d->modified = false;
        setState(DataSetState::Browse);
        if (!d->disableCount)
            emit rowChanged(row);
    }
    if (afterCancel)
        afterCancel(*this);
}

void ClientDataSet::deleteRecord()
{
    checkActive();
    if (m_state == DataSetState::Insert) {
        cancel();
        return;
    }
    if (d->view.empty())
        throw DataSetError(tr("Cannot perform this operation on an empty dataset"));
    if (m_readOnly)
        throw DataSetError(tr("Cannot modify a read-only dataset"));
    checkBrowseMode();
    if (beforeDelete)
        beforeDelete(*this);
    if (beforeScroll)
        beforeScroll(*this);
    const int row = d->cur;
    Record &r = d->store[d->view[row]];
    if (!d->logChanges || r.state == RowState::Inserted) {
        r.original.reset();
        d->setRowState(r, RowState::Discarded);
    } else {
        d->setRowState(r, RowState::Deleted);
    }
    d->view.erase(row);
    const int count = int(d->view.size());
    d->cur = count == 0 ? -1 : std::min(row, count - 1);
    d->bof = count == 0 || d->cur == 0;
    d->eof = count == 0 || row >= count;
    if (!d->disableCount) {
        emit rowRemoved(row);
        emit currentRowChanged(d->cur);
    }
    if (afterDelete)
        afterDelete(*this);
    if (afterScroll)
        afterScroll(*this);
}

bool ClientDataSet::modified() const { return d->editing(m_state) && d->modified; }

// --- searching and ordering ------------------------------------------------------------------------

bool ClientDataSet::locate(const QString &keyFields, const QVariant &keyValues, LocateOptions options)
{
    checkBrowseMode();
    const auto keys = d->searchKeys(keyFields, keyValues, options.testFlag(LocateOption::CaseInsensitive));
    const int row = d->search(keys, options);
    if (row < 0)
        return false;
    if (row != d->cur)
        scrollTo(row);
    d->bof = d->eof = false;
    return true;
}

QVariant ClientDataSet::lookup(const QString &keyFields, const QVariant &keyValues,
                               const QString &resultFields) const
{
    checkActive();
    const auto keys = d->searchKeys(keyFields, keyValues, false);
    const int row = d->search(keys, {});
    if (row < 0)
        return QVariant();
    const QStringList names = splitFieldNames(resultFields);
    QVariantList out;
    for (const QString &n : names)
        out.append(valueAt(row, fieldByName(n)->index()));
    if (out.size() == 1)
        return out.first();
    return out;
}

QString ClientDataSet::indexFieldNames() const { return d->indexFieldNames; }

void ClientDataSet::setIndexFieldNames(const QString &fields)
{
    if (active())
        checkBrowseMode();
    const QString oldNames = d->indexFieldNames, oldName = d->indexName;
    d->indexFieldNames = fields;
    d->indexName.clear();
    try {
        d->resolveActiveIndex(active());
    } catch (...) {
        d->indexFieldNames = oldNames;
        d->indexName = oldName;
        d->resolveActiveIndex(false);
        throw;
    }
    if (!active())
        return;
    d->applyIndex();
    if (!d->disableCount) {
        emit dataReset();
        emit currentRowChanged(d->cur);
    }
}

void ClientDataSet::addIndex(const QString &name, const QString &fields, IndexOptions options)
{
    for (NamedIndex &ix : d->indexes) {
        if (ix.name.compare(name, Qt::CaseInsensitive) == 0) {
            ix.fields = fields;
            ix.options = options;
            if (d->indexName.compare(name, Qt::CaseInsensitive) == 0)
                setIndexName(name);
            return;
        }
    }
    d->indexes.push_back({name, fields, options});
}

QString ClientDataSet::indexName() const { return d->indexName; }

void ClientDataSet::setIndexName(const QString &name)
{
    if (!name.isEmpty()) {
        const bool known = std::any_of(d->indexes.begin(), d->indexes.end(), [&](const NamedIndex &ix) {
            return ix.name.compare(name, Qt::CaseInsensitive) == 0;
        });
        if (!known)
            throw DataSetError(tr("Index '%1' not found").arg(name));
    }
    if (active())
        checkBrowseMode();
    d->indexName = name;
    d->indexFieldNames.clear();
    d->resolveActiveIndex(false);
    if (!active())
        return;
    d->applyIndex();
    if (!d->disableCount) {
        emit dataReset();
        emit currentRowChanged(d->cur);
    }
}

// --- controls -------------------------------------------------------------------------------------

void ClientDataSet::disableControls() { ++d->disableCount; }

void ClientDataSet::enableControls()
{
    if (d->disableCount == 0)
        return;
    if (--d->disableCount == 0) {
        emit dataReset();
        emit currentRowChanged(active() ? d->cur : -1);
    }
}

bool ClientDataSet::controlsDisabled() const { return d->disableCount > 0; }

// --- access for views -------------------------------------------------------------------------------

QVariant ClientDataSet::valueAt(int row, int fieldIndex) const
{
    if (!active() || row < 0 || row >= int(d->view.size()) || fieldIndex < 0
        || fieldIndex >= d->fieldCount())
        return QVariant();
    const QVariantList &values = (row == d->cur && d->editing(m_state))
            ? d->buffer
            : d->store[d->view[row]].values;
    if (fieldIndex < d->dataFieldCount)
        return values.at(fieldIndex);

    // A calculated field: onCalcFields computes the row's calculated values, reading the
    // row's data fields through the field objects.
    if (!onCalcFields)
        return QVariant();
    QVariantList calc(d->calcCount());
    {
        Private::ContextGuard guard(d.get());
        d->readRow = row;
        d->calcSource = &values;
        d->calcValues = &calc;
        onCalcFields(*const_cast<ClientDataSet *>(this));
    }
    return calc.at(fieldIndex - d->dataFieldCount);
}

int ClientDataSet::currentRow() const { return active() ? d->cur : -1; }

QString ClientDataSet::displayTextAt(int row, int fieldIndex) const
{
    if (!active() || row < 0 || row >= int(d->view.size()))
        return QString();
    Private::ContextGuard guard(d.get());
    d->readRow = row;
    d->calcSource = nullptr;
    d->calcValues = nullptr;
    return field(fieldIndex)->displayText();
}

QString ClientDataSet::textAt(int row, int fieldIndex) const
{
    if (!active() || row < 0 || row >= int(d->view.size()))
        return QString();
    Private::ContextGuard guard(d.get());
    d->readRow = row;
    d->calcSource = nullptr;
    d->calcValues = nullptr;
    return field(fieldIndex)->text();
}
