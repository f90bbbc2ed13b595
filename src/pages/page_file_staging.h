#pragma once

namespace pelvoro {

class FileSetUpdate;

// While a PageFileStaging lives on a thread, a page appender's final write of the page file is added
// to `update` instead of being made at once, so that the caller replaces the page file together with
// other files as one unit (the text editor's document and the pages made from it). The caller holds
// the directory's lock and commits the update.
class PageFileStaging {
public:
    explicit PageFileStaging(FileSetUpdate &update);
    ~PageFileStaging();
    PageFileStaging(const PageFileStaging &) = delete;
    PageFileStaging &operator=(const PageFileStaging &) = delete;

    // The update of the innermost staging on this thread, or nullptr.
    static FileSetUpdate *Current();

private:
    FileSetUpdate *previous_;
};

} // namespace pelvoro
