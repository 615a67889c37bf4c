// Directory listings with a wildcard pattern, in the order the file system lists them.
#pragma once
#include <memory>
#include <string>

class DirListing;
// The deleter lets callers hold the owner while DirListing stays opaque.
struct DirListingDeleter {
    void operator()(DirListing* listing) const;
};
using DirListingPtr = std::unique_ptr<DirListing, DirListingDeleter>;

// An empty pattern means "*.*". None for a missing or unreadable directory; a listing
// without entries for an existing directory where nothing matches.
DirListingPtr OpenListing(const std::wstring& directory, const std::wstring& pattern);
bool NextEntry(DirListing& listing);                // call before the first entry; false at the end
std::wstring EntryName(const DirListing& listing);  // file name without directory
int EntryKind(const DirListing& listing);           // 2 directory, 1 anything else
void CloseListing(DirListingPtr& listing);          // also done by the destructor
