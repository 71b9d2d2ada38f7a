#pragma once
// Hands finished frames to the outputs, on a thread of their own beside the
// show's next frame (or on the caller's thread when asked). Frames reach the
// outputs one at a time in the order given, so both ways write the same
// bytes.
#include <atomic>
#include <cstddef>
#include <mutex>
#include <string>
#include <thread>

#include "tools/capture/frame_outputs.h"
#include "tools/capture/frame_queue.h"

class FramePipeline {
public:
    // depth: frames that may wait for the outputs before submit() waits.
    FramePipeline(FrameOutputs& outputs, bool threaded, std::size_t depth);
    // Without finish(), frames still waiting are dropped.
    ~FramePipeline();
    FramePipeline(const FramePipeline&) = delete;
    FramePipeline& operator=(const FramePipeline&) = delete;

    // False once an output failed; error() says why.
    bool submit(FrameJob job);
    // Waits until every submitted frame is out; the first error or empty.
    std::string finish();
    // Stops at once, dropping frames still waiting.
    void abandon();
    std::string error();

private:
    void work();
    void fail(const std::string& error);

    FrameOutputs& outputs_;
    bool threaded_;
    BoundedQueue<FrameJob> queue_;
    std::mutex errorMutex_;
    std::string error_;
    std::atomic<bool> failed_{false};
    std::thread worker_;
};
