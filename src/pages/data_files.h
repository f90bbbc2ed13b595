#pragma once

#include <QString>

// Names of a screen's data files in the application's directory (screen index is 0-based, the
// names carry the screen number).
namespace pelvoro {

QString PageFileName(int screenIndex);         // "Tavrel1.dat"
QString SubtitleFileName(int screenIndex);     // "TavrelTitle1.dat"
QString SubtitleTextFileName(int screenIndex); // "TavrelTitle1.txt"

// The page count stored in a screen's page file, 0 when there is no readable file.
int StoredPageCount(int screenIndex);
// The same for the screen's subtitle file.
int StoredSubtitlePageCount(int screenIndex);

// The pages stored for one screen, as a screen-level reset or a replaced working set deletes them.
struct ScreenPageCounts {
    int main = 0;     // main-area pages in the page file
    int subtitle = 0; // pages in the subtitle file
    bool Any() const { return main > 0 || subtitle > 0; }
};
ScreenPageCounts StoredPages(int screenIndex);

class IniDocument;

// Erases the schedule sections of pages 1..count of a screen from a document (only pages 1..255
// have sections); true when it changed.
bool EraseScheduleSections(IniDocument &doc, int screenIndex, int count);

class FileSetUpdate;

// Screen-level reset: adds the removal of the screen's page file and both subtitle files, where they
// exist, to `update`.
void StageScreenDataFilesRemoval(int screenIndex, FileSetUpdate &update);

} // namespace pelvoro
