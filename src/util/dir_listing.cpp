// Directory listings through the platform's find functions, in file-system order.
#include "util/dir_listing.h"

#include "util/unique_handle.h"

class DirListing {
public:
    UniqueFindHandle find;
    WIN32_FIND_DATAW data{};
    bool firstPending = false;  // data holds the entry FindFirstFileW returned, not yet handed out
    bool current = false;       // data holds the current entry
};

namespace {
bool DirectoryExists(const std::wstring& directory) {
    const DWORD attributes = GetFileAttributesW(directory.empty() ? L"." : directory.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}
}  // namespace

DirListingPtr OpenListing(const std::wstring& directory, const std::wstring& pattern) {
    std::wstring search = directory;
    if (!search.empty() && search.back() != L'\\') search += L'\\';
    search += pattern.empty() ? L"*.*" : pattern;

    DirListingPtr listing(new DirListing);
    listing->find.reset(FindFirstFileW(search.c_str(), &listing->data));
    if (listing->find) {
        listing->firstPending = true;
        return listing;
    }
    // Nothing matched in a directory that is there: a listing without entries.
    const DWORD error = GetLastError();
    if ((error == ERROR_FILE_NOT_FOUND || error == ERROR_NO_MORE_FILES) && DirectoryExists(directory)) return listing;
    return nullptr;
}

bool NextEntry(DirListing& listing) {
    if (listing.firstPending) {
        listing.firstPending = false;
        listing.current = true;
    } else if (listing.find) {
        listing.current = FindNextFileW(listing.find.get(), &listing.data) != FALSE;
        if (!listing.current) listing.find.reset();
    } else {
        listing.current = false;
    }
    return listing.current;
}

std::wstring EntryName(const DirListing& listing) {
    return listing.current ? std::wstring(listing.data.cFileName) : std::wstring();
}

int EntryKind(const DirListing& listing) {
    return listing.current && (listing.data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? 2 : 1;
}

void DirListingDeleter::operator()(DirListing* listing) const { delete listing; }

void CloseListing(DirListingPtr& listing) { listing.reset(); }
