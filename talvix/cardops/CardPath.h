#pragma once
#include <string>
#include <vector>

namespace talvix {

// Card paths as the device knows them: "M:" followed by a relative path whose
// components are separated by "\" ("" for the root, "\DCIM\100" below it).
// Names are CP932 bytes; the second byte of a double-byte character may be
// 0x5C or a lower-case ASCII letter, so every scan here steps over whole
// characters and never takes such a byte for a separator or a letter.
namespace cardpath {

constexpr const char* kDrive = "M:";

// The components of a relative path ("\A\B" and "A\B" give {"A", "B"}).
std::vector<std::string> Split(const std::string& path);

// "\" + the last `n` components joined with "\"; "" for n <= 0. With fewer
// components than n, all of them.
std::string LastComponents(const std::string& path, int n);

// The last component ("" for the root).
std::string LastComponent(const std::string& path);

// The path without its last component and the "\" before it ("" for a
// component directly in the root).
std::string Parent(const std::string& path);

// Number of components.
int Depth(const std::string& path);

// ASCII letters upper-cased; double-byte characters left as they are.
std::string Upper(const std::string& text);

// "M:" + relative path.
std::string Full(const std::string& relative);

// Accepts "\DCIM\100", "M:\DCIM\100", "m:\DCIM", "/DCIM/100" and "DCIM/100"
// and gives the relative path ("\DCIM\100"); the root ("\", "M:\", "/", "")
// gives "". Empty components are dropped. "/" is taken as a separator only
// outside double-byte characters.
std::string Normalize(const std::string& text);

// True when a card name (CP932 bytes) may not become a PC path component
// nor be sent back as one component of a card path: empty, ".", "..",
// holding "/", "\" (outside double-byte characters) or a NUL byte, or
// 259 bytes or longer (as long as a find record holds: the device may have
// sent more, and the name kept is then only the front of the real one).
bool IsUnsafeName(const std::string& name);

// The UTF-8 PC name for a card name; false when the card name is unsafe (see
// IsUnsafeName) or its UTF-8 form could not be a file name on the PC
// (longer than 255 bytes).
bool ToPcName(const std::string& cardName, std::string& pcName);

}  // namespace cardpath
}  // namespace talvix
