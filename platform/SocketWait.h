#pragma once
// Waiting on a socket and the calling thread's message queue together: how a
// socket thread takes its socket's data and its messages in one loop,
// without a thread that watches the socket for it.
//
// Rules:
//  - MsgWaitForSocket returns when the socket is ready for one of the events
//    asked (kSocketEventRead: data, the end of the stream or a failure is
//    there to receive; kSocketEventWrite: a send can go on), when a message
//    (posted, timer or quit) waits in the queue, when WakeSocketWait was
//    called for the thread, or at the time-out. It may also return for none
//    of these: callers wait in a loop and take their messages after each
//    return. Messages sent to the thread are handled inside, as in
//    WaitMessage.
//  - The socket is only looked at, never read: the caller receives.
//  - The first call gives the thread's queue a waiter of its own (and
//    returns at once); it is for threads that have not installed one
//    (SetQueueWaiter).
//  - WakeSocketWait may be called from any thread. A wake that comes while
//    the thread is not waiting ends its next wait at once.

#include <cstdint>

#include "platform/AsyncSelect.h"
#include "platform/Net.h"
#include "platform/Thread.h"

namespace platform {

// The kSocketEvent* bits the socket is ready for (0: none, the wait ended
// for a message, a wake or the time-out).
uint32_t MsgWaitForSocket(SocketHandle socket, uint32_t events, uint32_t timeoutMs);

// Ends the thread's MsgWaitForSocket, or its next one. False when the thread
// has no queue.
bool WakeSocketWait(ThreadId thread);

}  // namespace platform
