#pragma once
#include <cstddef>
#include <functional>
#include <string>

namespace platform {

// Small text files that are read whole and replaced whole.
//
// A replacement is written to a temporary file in the same folder, flushed to
// disk and renamed over the old file, so a crash or a kill at any moment
// leaves either the old or the new contents, never a mix. Changes made by
// Update() run under an exclusive flock, so two processes that edit the same
// file one after the other never lose each other's changes.
class AtomicFile {
public:
    enum class ReadResult { Ok, Missing, Failed };

    // What an Update() edit asks for.
    enum class Edit { Write, Keep, Fail };

    // Largest file Read() accepts; anything bigger counts as unreadable.
    static constexpr std::size_t kMaxBytes = 64u * 1024u * 1024u;

    // Reads the whole file. Missing when it does not exist (text is then empty).
    static ReadResult Read(const std::string& path, std::string& text);

    // The same for a regular file of at most `maxBytes` bytes; a larger one
    // fails before anything is allocated for it. A file that shrinks while it
    // is read gives the bytes it still had.
    static ReadResult Read(const std::string& path, std::string& text, std::size_t maxBytes);

    // Replaces the file with `text` (temp file, fsync, rename, fsync of the folder).
    // The folder must exist. Keeps the old file's permission bits.
    static bool Write(const std::string& path, const std::string& text);

    // Replaces the file with `size` bytes at `data` without any lock held:
    // the bytes go to a temporary file of a unique name in the same folder
    // (so writers of different files, or of one file at once, never share a
    // temporary), which is flushed to disk and renamed over the file. A
    // replaced file keeps its permission bits, a new one gets rw-r--r--. A
    // symbolic link is kept: the file it points to is replaced. On failure
    // the old file is left whole and no temporary remains.
    static bool Replace(const std::string& path, const void* data, std::size_t size);

    // Takes an exclusive flock on `lockPath` (created when missing; when it is
    // empty the folder of `path` is locked instead), reads `path` (a missing file
    // gives empty text), lets `edit` change the text and writes it back when
    // the edit asks for it. When `createFolder` is true the folder of `path`
    // is created first. Returns false when the file cannot be read or written
    // or the edit fails.
    static bool Update(const std::string& path, const std::string& lockPath,
                       const std::function<Edit(std::string& text)>& edit,
                       bool createFolder);

    // Creates `folder` and every missing parent ("mkdir -p"). True when it exists afterwards.
    static bool CreateFolders(const std::string& folder);

    // The text before the last "/" ("." for a bare name, "/" for a top-level entry).
    static std::string FolderOf(const std::string& path);
};

}  // namespace platform
