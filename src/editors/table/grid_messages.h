#pragma once

#include <QString>

// The texts the grid and its file show the operator, and the texts of its programming errors.
namespace pelvoro::grid_text {

inline const QString kInfoCaption = QStringLiteral("提示");
inline const QString kQuestionCaption = QStringLiteral("询问");

inline const QString kMergeMultipleValues = QStringLiteral(
    "选定区域包含多重数值。合并到一个单元格后只能保留最左上角的数据。");
inline const QString kSplitBlocksQuestion = QStringLiteral("此操作将会导致一些合并单元格被拆散,是否继续?");
inline const QString kKeepRightmostData = QStringLiteral(
    "为了防止数据丢失,表格中最右侧的非空白单元格不能被移去。\r\n\r\n"
    "请清除该非空白单元格的内容,或将数据移到新的位置后再尝试。");
inline const QString kKeepBottomData = QStringLiteral("为了防止数据丢失,表格中最底部的非空白单元格不能被移去。\r\n\r\n"
                                                      "请清除该非空白单元格的内容,或将数据移到新的位置后再尝试。");
inline const QString kCutReadOnly = QStringLiteral("不能对含有只读单元格的区域进行剪切操作。");
inline const QString kCannotPaste = QStringLiteral("无法粘贴信息,可能是由于以下原因,请更正后再次尝试。\r\n\r\n"
                                                   "* 目标区域和现有的合并单元格冲突。\r\n"
                                                   "* 目标区域含有只读的单元格。\r\n"
                                                   "* 目标区域超过了表格的最大边界。");
inline const QString kFillNeedsEqualBlocks = QStringLiteral("此操作要求合并单元格都具有相同大小。");
inline const QString kTargetReadOnly = QStringLiteral("不能覆盖目标区域内的只读单元格。");
inline const QString kReplaceTargetQuestion = QStringLiteral("是否替换目标区域的单元格内容?");
inline const QString kPartOfMergedBlock = QStringLiteral("不能对合并单元格作部分改动。");

// "单元格[3,2]内容不合法,请写入正确的数值。" and the like.
inline QString InvalidCellContent(int col, int row, const QString &what)
{
    return QStringLiteral("单元格[%1,%2]内容不合法,请写入正确的%3。").arg(col).arg(row).arg(what);
}
inline const QString kWhatNumber = QStringLiteral("数值");
inline const QString kWhatDate = QStringLiteral("日期");
inline const QString kWhatTime = QStringLiteral("时间");

// Table files.
inline const QString kNotATableFile = QStringLiteral("该文件不是一个合法的报表文件。");
inline const QString kDamagedTableFile = QStringLiteral("无法打开文件, 该文件可能已经损坏。");
inline const QString kDamagedPageInfo = QStringLiteral("错误的页面信息, 该文件头可能已经损坏。");

// Programming errors (EInvalidGridOperation).
inline const QString kIndexOutOfRange = QStringLiteral("Grid index out of range");
inline const QString kTooManyDeleted = QStringLiteral("Too many rows or columns deleted");
inline const QString kCannotOpenClipboard = QStringLiteral("Cannot open clipboard");

} // namespace pelvoro::grid_text
