#include "editors/table/cell_store.h"

#include <algorithm>

namespace pelvoro {

CellStore::CellStore(const CellStore &other) : rows_(other.rows_)
{
    columns_.reserve(other.columns_.size());
    for (const Column &source : other.columns_) {
        Column column;
        column.reserve(source.size());
        for (const TCellInfo *cell : source)
            column.push_back(new TCellInfo(*cell));
        columns_.push_back(std::move(column));
    }
}

CellStore &CellStore::operator=(const CellStore &other)
{
    if (this != &other) {
        CellStore copy(other);
        *this = std::move(copy);
    }
    return *this;
}

CellStore::CellStore(CellStore &&other) noexcept : columns_(std::move(other.columns_)), rows_(other.rows_)
{
    other.columns_.clear();
    other.rows_ = 0;
}

CellStore &CellStore::operator=(CellStore &&other) noexcept
{
    if (this != &other) {
        Clear();
        columns_ = std::move(other.columns_);
        rows_ = other.rows_;
        other.columns_.clear();
        other.rows_ = 0;
    }
    return *this;
}

CellStore::~CellStore()
{
    Clear();
}

void CellStore::Free(Column &column, size_t from, size_t to)
{
    for (size_t i = from; i < to; ++i)
        delete column[i];
}

void CellStore::Clear()
{
    for (Column &column : columns_)
        Free(column, 0, column.size());
    columns_.clear();
    rows_ = 0;
}

void CellStore::Resize(int cols, int rows, const CellFactory &make)
{
    if (cols < ColCount()) {
        for (size_t c = size_t(cols); c < columns_.size(); ++c)
            Free(columns_[c], 0, columns_[c].size());
        columns_.resize(size_t(cols));
    }
    for (size_t c = 0; c < columns_.size(); ++c) {
        Column &column = columns_[c];
        if (size_t(rows) < column.size()) {
            Free(column, size_t(rows), column.size());
            column.resize(size_t(rows));
        } else {
            column.reserve(size_t(rows));
            for (int r = int(column.size()); r < rows; ++r)
                column.push_back(new TCellInfo(make(int(c), r)));
        }
    }
    rows_ = rows;
    while (ColCount() < cols) {
        const int c = ColCount();
        Column column;
        column.reserve(size_t(rows));
        for (int r = 0; r < rows; ++r)
            column.push_back(new TCellInfo(make(c, r)));
        columns_.push_back(std::move(column));
    }
}

void CellStore::InsertColumns(int at, int n, const CellFactory &make)
{
    std::vector<Column> added(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        added[size_t(i)].reserve(size_t(rows_));
        for (int r = 0; r < rows_; ++r)
            added[size_t(i)].push_back(new TCellInfo(make(at + i, r)));
    }
    columns_.insert(columns_.begin() + at, std::make_move_iterator(added.begin()),
                    std::make_move_iterator(added.end()));
}

void CellStore::RemoveColumns(int at, int n)
{
    for (int c = at; c < at + n; ++c)
        Free(columns_[size_t(c)], 0, columns_[size_t(c)].size());
    columns_.erase(columns_.begin() + at, columns_.begin() + at + n);
}

void CellStore::InsertRows(int at, int n, const CellFactory &make)
{
    for (size_t c = 0; c < columns_.size(); ++c) {
        Column &column = columns_[c];
        column.insert(column.begin() + at, size_t(n), nullptr);
        for (int i = 0; i < n; ++i)
            column[size_t(at + i)] = new TCellInfo(make(int(c), at + i));
    }
    rows_ += n;
}

void CellStore::RemoveRows(int at, int n)
{
    for (Column &column : columns_) {
        Free(column, size_t(at), size_t(at + n));
        column.erase(column.begin() + at, column.begin() + at + n);
    }
    rows_ -= n;
}

void CellStore::AppendColumn(std::vector<TCellInfo *> column)
{
    if (columns_.empty())
        rows_ = int(column.size());
    columns_.push_back(std::move(column));
}

bool operator==(const CellStore &a, const CellStore &b)
{
    if (a.ColCount() != b.ColCount() || a.RowCount() != b.RowCount())
        return false;
    for (int c = 0; c < a.ColCount(); ++c) {
        for (int r = 0; r < a.RowCount(); ++r) {
            if (!(a.At(c, r) == b.At(c, r)))
                return false;
        }
    }
    return true;
}

} // namespace pelvoro
