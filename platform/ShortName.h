#pragma once
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// 8.3 aliases for PC names, as the card needs them.
//
// A PC name needs no alias when its CP932 form is a valid 8.3 name in any
// letter case: 1-8 bytes, optionally a dot and 1-3 bytes, no second dot, no
// blank, and only letters, digits, bytes >= 0x80 and ! # $ % & ' ( ) - @ ^ _ `
// { } ~. Otherwise the alias is made from the CP932 form: ASCII letters upper-
// cased; blanks, leading dots and every dot but the last dropped; + , ; = [ ]
// and anything else an 8.3 name cannot hold (or CP932 cannot express) become
// "_"; base = first 6 bytes + "~" + n (5 bytes from n = 10, 4 from n = 100);
// extension = first 3 bytes, with JPEG, TIFF, MPEG and HTML shortened to JPG,
// TIF, MPG and HTM. A double-byte character is never split. n is the smallest
// number from 1 whose alias is not used by a sibling; siblings are taken in
// byte order of their long names. "My Photo.jpeg" becomes MYPHOT~1.JPG.

// True when `cp932Name` is a valid 8.3 name in any letter case ("." and ".."
// count as valid: they never get an alias).
bool IsValidShortName(std::string_view cp932Name);

// The alias of `cp932Name` with number n (before any check against siblings);
// empty when n does not fit into 8 bytes.
std::string MakeShortName(std::string_view cp932Name, unsigned n);

// Upper-cases the ASCII letters of a CP932 text, leaving double-byte
// characters whole (their second byte may be a letter).
std::string UpperCp932(std::string_view cp932);

// The aliases of one PC folder, made from the long names of all its entries
// (native UTF-8 names as the file system gives them).
class ShortNameTable {
public:
    ShortNameTable() = default;
    explicit ShortNameTable(std::vector<std::string> longNames);

    // CP932 alias of `longName`; empty when it needs none or is not in the folder.
    std::string AliasOf(const std::string& longName) const;

    // The long name whose alias is `cp932Alias` (compared without letter
    // case); false when no entry has that alias.
    bool LongNameOf(std::string_view cp932Alias, std::string& longName) const;

private:
    std::map<std::string, std::string> aliasByName_;
    std::map<std::string, std::string> nameByAlias_;
};

}  // namespace platform
