#pragma once

#include "editors/table/cell_info.h"

#include <functional>
#include <vector>

namespace pelvoro {

// The cells of the grid: one list per column, each holding one record per row, so that a cell is
// found by column first, then row. The lists hold pointers, so inserting a row or a column moves
// pointers, never records.
class CellStore {
public:
    // Makes the cell that a new position (col, row) starts with.
    using CellFactory = std::function<TCellInfo(int col, int row)>;

    CellStore() = default;
    CellStore(const CellStore &other);
    CellStore &operator=(const CellStore &other);
    CellStore(CellStore &&other) noexcept;
    CellStore &operator=(CellStore &&other) noexcept;
    ~CellStore();

    int ColCount() const { return int(columns_.size()); }
    int RowCount() const { return rows_; }

    TCellInfo &At(int col, int row) { return *columns_[size_t(col)][size_t(row)]; }
    const TCellInfo &At(int col, int row) const { return *columns_[size_t(col)][size_t(row)]; }

    // Columns and rows added or removed at the end.
    void Resize(int cols, int rows, const CellFactory &make);
    // `n` new columns before column `at`, made by `make` at their final positions.
    void InsertColumns(int at, int n, const CellFactory &make);
    void RemoveColumns(int at, int n);
    void InsertRows(int at, int n, const CellFactory &make);
    void RemoveRows(int at, int n);

    // A column of cells read from a file or built elsewhere; takes ownership of the records.
    void AppendColumn(std::vector<TCellInfo *> column);

    friend bool operator==(const CellStore &a, const CellStore &b);

private:
    using Column = std::vector<TCellInfo *>;
    static void Free(Column &column, size_t from, size_t to);
    void Clear();

    std::vector<Column> columns_;
    int rows_ = 0;
};

} // namespace pelvoro
