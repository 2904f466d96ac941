#pragma once
// Texts made one after another and wanted again only at the end (a dry
// run's diffs, printed once nothing refused the run): each goes to an
// unnamed temporary file as it comes, so that only the text being made is
// held, and is read back when it is wanted. Without such a file (none can be
// made, the disk is full, or an offset past what the file functions reach)
// the texts stay in memory. For one thread.

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace qv::host::files {

class TextSpill {
  public:
    // A text kept: its place among the texts kept.
    struct Piece {
        size_t index = 0;
    };

    TextSpill();
    ~TextSpill();
    TextSpill(const TextSpill&) = delete;
    TextSpill& operator=(const TextSpill&) = delete;

    Piece Keep(std::string text);
    // The text as kept. Throws std::runtime_error when the file cannot be
    // read back.
    std::string Read(Piece piece) const;

  private:
    struct Kept {
        bool inFile = false;
        std::uint64_t offset = 0;  // in the file
        size_t size = 0;
        std::string text;  // when not in the file
    };
    struct CloseFile {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };

    bool WriteOut(const std::string& text);

    std::unique_ptr<std::FILE, CloseFile> file_;
    bool writable_ = false;    // false once a text did not go in whole
    std::uint64_t end_ = 0;  // the bytes written to the file
    std::vector<Kept> kept_;
};

}  // namespace qv::host::files
