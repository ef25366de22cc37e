// Reports the race checker must not make in a build with it (-DRFID_SANITIZE=thread).
//
// QThread's end-of-thread handshake runs on the framework's own futex-based mutex, which
// the checker cannot see: when a thread has already finished before wait() is called, the
// wake-up the thread sent to its internal wait condition looks unordered with that
// condition's destruction in ~QThread. Only that framework-internal pair is suppressed; the
// component's own hand-over from its threads is ordered by locks and atomics it can see.
extern "C" const char *__tsan_default_suppressions()
{
    return "race:QWaitCondition::~QWaitCondition\n";
}
