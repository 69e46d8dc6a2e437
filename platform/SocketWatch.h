#pragma once
// Platform-internal: how the socket calls re-enable the notices of a watched
// socket (Socket.cpp tells AsyncSelect.cpp). Not for use outside platform/.

#include "platform/Net.h"

namespace platform::detail {

// A receive was made on the socket: its read notice may come again.
void ReenableReadNotice(SocketHandle socket);
// A send on the socket would have blocked: post a write notice once it can
// send again.
void ReenableWriteNotice(SocketHandle socket);

}  // namespace platform::detail
