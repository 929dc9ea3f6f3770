// How far a long loop has got, told to whoever listens; the listener may stop the loop.
#pragma once

namespace trembla {

// Thrown by a listener to stop the loop it was told about. Not a std::exception: code that turns
// failures into reports must let a cancel through untouched.
struct WorkCancelled {};

class WorkProgress {
public:
    virtual ~WorkProgress() = default;
    // One more unit of work is done. May throw WorkCancelled (the loop stops right here) or the
    // failure of whatever the listener asks its host.
    virtual void advance() = 0;
};

// One unit of work done, for loops that may run without a listener.
inline void advance(WorkProgress* progress) {
    if (progress != nullptr) progress->advance();
}

}  // namespace trembla
