#pragma once
// The protocol's framing: each message is a header block ("Content-Length:
// n", CR LF, perhaps "Content-Type: ...", CR LF, then an empty line ended by
// CR LF) followed by n bytes of JSON. The framer takes the bytes as they
// arrive, in pieces of any size, and hands out whole message bodies.
//
// One bad frame must not make the server deaf: stray bytes, a header block
// that does not parse (a line ended by LF alone, no Content-Length), or a
// Content-Length that is wrong. The framer then skips to the next header
// block that parses and hands out one broken frame for what it skipped, so
// that the server answers it once and serves the rest:
//
// - bytes that begin no header block are skipped up to the next one;
// - a body the server finds to be no JSON is handed back (Reject): its
//   bytes are then searched for a header like any stray bytes, which finds
//   the next message when the Content-Length was too small;
// - a Content-Length too large shows when a whole header block turns up in
//   the body that is still arriving (a JSON text never holds a raw CR LF
//   after "Content-Length: n", inside a string or out of one), so the
//   message after it is served without waiting for bytes that never come.
//
// Broken stretches that follow one another without a message between them
// are one broken frame: answered once.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace qv::lsp {

// A message's body, or a stretch of bytes that was no message.
struct Frame {
    std::string body;     // the JSON of a message ("" for a broken frame)
    std::string problem;  // why the bytes were skipped ("" for a message)
    bool Broken() const { return !problem.empty(); }
};

class MessageFramer {
  public:
    void Append(std::string_view bytes);
    // The next whole message, or the next broken frame; nothing while the
    // bytes that would decide have not arrived.
    std::optional<Frame> Next();
    // The message last handed out was no JSON: its bytes are read again as
    // bytes outside a message, and the next frame is a broken one that says
    // why.
    void Reject(std::string reason);

  private:
    std::optional<Frame> Skip(size_t count, std::string problem);

    std::string pending_;
    size_t consumed_ = 0;    // bytes of the last message, dropped at the next call
    size_t lastHeader_ = 0;  // the size of the last message's header block
    size_t searched_ = 0;    // how far an arriving body was searched for a header
    bool skipping_ = false;  // a broken frame was handed out and no message since
    std::string owed_;       // the reason of a rejected body, not yet handed out
};

}  // namespace qv::lsp
