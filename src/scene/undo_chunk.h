// One user action, one entry in the host's undo queue.
#pragma once

#include <string>

#include "scene/host.h"

namespace trembla {

// Opens an undo chunk for the scope and closes it on every way out, a throw included. A failing
// open throws (nothing was opened, nothing ran); a failing close is dropped, since the failure
// already on its way, or the command's result, is what the caller must see.
class UndoChunk {
public:
    UndoChunk(Host& host, const std::string& name) : host_(host) { host_.open_undo_chunk(name); }
    ~UndoChunk() {
        try {
            host_.close_undo_chunk();
        } catch (...) {
        }
    }
    UndoChunk(const UndoChunk&) = delete;
    UndoChunk& operator=(const UndoChunk&) = delete;

private:
    Host& host_;
};

}  // namespace trembla
