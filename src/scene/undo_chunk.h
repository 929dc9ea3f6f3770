// One user action, one entry in the host's undo queue.
#pragma once

#include <string>
#include <utility>

#include "scene/host.h"

namespace trembla {

// Opens an undo chunk for the scope and closes it on every way out, a throw included. A failing
// open throws (nothing was opened, nothing ran); a failing close is dropped, since the failure
// already on its way, or the command's result, is what the caller must see.
class UndoChunk {
public:
    UndoChunk(Host& host, std::string name) : host_(host), name_(std::move(name)) { host_.open_undo_chunk(name_); }
    ~UndoChunk() {
        try {
            close();
        } catch (...) {
        }
    }
    UndoChunk(const UndoChunk&) = delete;
    UndoChunk& operator=(const UndoChunk&) = delete;

    // Closes the chunk before the scope ends (a step that is to be undone at once must be closed
    // first); a failure propagates and is not retried.
    void close() {
        if (closed_) return;
        closed_ = true;
        host_.close_undo_chunk();
    }

    // Opens the chunk again under its name after close(): the work goes on and the scope's end
    // closes it once more.
    void reopen() {
        if (!closed_) return;
        host_.open_undo_chunk(name_);
        closed_ = false;
    }

    const std::string& name() const { return name_; }

private:
    Host& host_;
    std::string name_;
    bool closed_ = false;
};

}  // namespace trembla
