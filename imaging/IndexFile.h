#pragma once
#include <cstddef>
#include <string>
#include <vector>

namespace imaging {

// The index file "Index.TMP" of a picture folder, written by the picture
// organiser: picture file names, one per line, in showing order. The viewer
// and the slide show read it by different rules. Both readers stream the
// file and keep at most one name of bounded length in memory besides the
// list, so a huge or hostile file costs nothing.

// The viewer's rules: bytes below 32 separate lines, a run of them counting
// as one, leading ones skipped; every other byte belongs to the name; a last
// line without a following control byte is not taken; the list ends at the
// first line shorter than 2 bytes or at the end of the file. At most
// kViewerMaxNames names are kept; a line longer than kViewerMaxName bytes
// cannot name a file and is passed over, and so is a name that would leave
// the folder (".." or one holding "/"). A file that cannot be opened gives
// an empty list.
constexpr size_t kViewerMaxNames = 512;
constexpr size_t kViewerMaxName = 511;
std::vector<std::string> ReadViewerIndex(const std::string& indexPath);

// The slide show's rules: a CR byte ends a line; every byte of 32 or less is
// dropped wherever it stands (blanks inside names too); the text after the
// last CR is not taken; every finished line is an entry, an empty one too.
// Each entry is `folder` + the name. At most kSlideMaxEntries entries are
// kept; a line whose entry would be longer than kSlideMaxPath bytes is
// passed over.
constexpr size_t kSlideMaxEntries = 2048;
constexpr size_t kSlideMaxPath = 2047;
std::vector<std::string> ReadSlideIndex(const std::string& indexPath, const std::string& folder);

}  // namespace imaging
