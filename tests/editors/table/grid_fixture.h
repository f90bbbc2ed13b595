#pragma once

#include "editors/table/grid_model.h"

#include "support/scripted_prompt.h"

#include <QList>

#include <gtest/gtest.h>

#include <optional>

namespace pelvoro::test {

// A clipboard of the test's own, so that copy and paste never touch the desktop's.
class MemoryClipboard : public GridClipboard {
public:
    void PutBlock(const QByteArray &bytes) override { block = bytes; }
    std::optional<QByteArray> Block() const override { return block; }

    std::optional<QByteArray> block;
};

// A new grid at 96 dpi whose messages and questions go to a scripted prompt.
class GridTest : public ::testing::Test {
protected:
    GridTest() { grid.SetClipboard(&clipboard); }

    // The message texts shown so far (each checked to carry the caption "提示").
    QStringList Messages() const { return prompt.MessageTexts(QStringLiteral("提示")); }
    QStringList Questions() const
    {
        QStringList texts;
        for (const auto &question : prompt.questions)
            texts << question.text;
        return texts;
    }
    // Every merged block is a rectangle of client cells that all name it.
    void ExpectSoundBlocks() const
    {
        for (int col = 0; col < grid.ColCount(); ++col) {
            for (int row = 0; row < grid.RowCount(); ++row) {
                const GridRect block = grid.MergeRect(col, row);
                if (block == GridRect::Cell(col, row))
                    continue;
                ASSERT_TRUE(block.Contains(col, row)) << col << "," << row;
                ASSERT_TRUE(block.Left >= 1 && block.Top >= 1 && block.Right < grid.ColCount()
                            && block.Bottom < grid.RowCount())
                    << col << "," << row;
                for (int c = block.Left; c <= block.Right; ++c) {
                    for (int r = block.Top; r <= block.Bottom; ++r)
                        ASSERT_EQ(grid.MergeRect(c, r), block) << c << "," << r;
                }
            }
        }
    }
    // Texts of a rectangle row by row, cells separated by "|" and rows by "/".
    QString Texts(const GridRect &rect) const
    {
        QStringList rows;
        for (int row = rect.Top; row <= rect.Bottom; ++row) {
            QStringList cells;
            for (int col = rect.Left; col <= rect.Right; ++col)
                cells << grid.ForeText(col, row);
            rows << cells.join(u'|');
        }
        return rows.join(u'/');
    }
    // Fills a rectangle with texts "c,r".
    void Label(const GridRect &rect)
    {
        for (int col = rect.Left; col <= rect.Right; ++col) {
            for (int row = rect.Top; row <= rect.Bottom; ++row)
                grid.SetForeText(col, row, QStringLiteral("%1,%2").arg(col).arg(row));
        }
    }

    ScriptedPrompt prompt;
    MemoryClipboard clipboard;
    TEasyGrid grid{prompt, ScreenResolution{96, 96}};
};

} // namespace pelvoro::test

namespace pelvoro {
// For gtest's printing of rectangles.
inline void PrintTo(const GridRect &r, std::ostream *out)
{
    *out << "(" << r.Left << "," << r.Top << ")-(" << r.Right << "," << r.Bottom << ")";
}
} // namespace pelvoro
