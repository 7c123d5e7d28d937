// A timed progress animation: progress runs linearly from 0 to exactly 1.0 over `duration`
// seconds, reported `frameRate` times a second through the virtual setCurrentProgress.
//
// Blocking mode runs the frames on the calling thread and returns at the end; non-blocking
// mode uses a main-thread timer; threaded mode runs the frames on a thread of the animation's
// own. `stopAnimation` (and the destructor) stop the frames and, for the threaded mode, wait for
// its thread; it must not be called from inside a progress callback of a threaded animation.
#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <thread>

class QTimer;

class OVTimedAnimation
{
public:
    enum class BlockingMode { Blocking, NonBlocking, NonBlockingThreaded };
    enum class Curve { EaseInOut, EaseIn, EaseOut, Linear };

    OVTimedAnimation(double durationSeconds, Curve curve);
    virtual ~OVTimedAnimation();
    OVTimedAnimation(const OVTimedAnimation &) = delete;
    OVTimedAnimation &operator=(const OVTimedAnimation &) = delete;

    /// Starts from the current progress (from 0 when it stands at 1.0); running: no change.
    void startAnimation();
    void stopAnimation();
    bool isAnimating() const { return mAnimating; }

    float currentProgress() const { return mProgress; }
    /// Stores the progress; subclasses add what each frame does.
    virtual void setCurrentProgress(float progress) { mProgress = progress; }

    double duration() const { return mDuration; }
    void setDuration(double seconds) { mDuration = seconds; }
    /// Stored for callers; the progress itself is always linear in time.
    Curve animationCurve() const { return mCurve; }
    float frameRate() const { return mFrameRate; }
    void setFrameRate(float framesPerSecond) { mFrameRate = framesPerSecond > 0 ? framesPerSecond : 60.0f; }
    BlockingMode animationBlockingMode() const { return mMode; }
    void setAnimationBlockingMode(BlockingMode mode) { mMode = mode; }

private:
    // One frame at `elapsed` seconds since the start; false once the last frame was reported.
    bool frame(double elapsedSeconds);
    int frameIntervalMs() const;

    double mDuration;
    Curve mCurve;
    float mFrameRate = 60.0f;
    BlockingMode mMode = BlockingMode::Blocking;
    std::atomic<float> mProgress{0.0f};
    std::atomic<bool> mAnimating{false};
    std::atomic<bool> mStopRequested{false};
    float mStartProgress = 0.0f;
    std::thread mThread;
    QTimer *mTimer = nullptr;
};
