#pragma once

#include "config/screen_info.h"

#include <QImage>

// What the commands on one screen's page or subtitle files share.
namespace pelvoro {
struct PageResult;
} // namespace pelvoro

namespace pelvoro::cli {

// The station's screen table as it starts (LoadStation), with screen `index` current.
struct StationScreen {
    ScreenTable table;
    int index = 0;
};
StationScreen LoadScreen(int index);

// `image` as a PNG file at `path`, written atomically; the refusal exit code when it cannot be.
int ExportPng(const QImage &image, const QString &path);

// The system's message for a result that did nothing or failed, on stderr; the refusal exit code.
int Fail(const PageResult &result);

} // namespace pelvoro::cli
