#pragma once

#include <atomic>
#include <cstdint>

#include "link/wire.h"
#include "platform/sockets.h"

// The shared socket transport: one handle for the UDP socket (with its receive thread) and for
// one TCP exchange at a time.

// The one socket handle, INVALID_SOCKET (-1) when free. While a TCP exchange is about to create
// its socket the handle holds kSocketReserved, so that nobody else takes it in between.
extern std::atomic<platform::SOCKET> g_sockfd;
constexpr platform::SOCKET kSocketReserved = platform::INVALID_SOCKET - 1;
// 0 while UDP work is under way, 1 when the receiver is stopped.
extern std::atomic<int32_t> g_App_end;

// Opens the UDP socket on port 9999 with broadcast enabled and starts its receive thread. The
// receiver serves only this socket: it ends when StopUdpReceiver closes it, and hands every
// datagram with its sender to the main thread, where it is dropped if the socket has been
// stopped by then. A UDP socket still open from before is stopped first. The PC's own addresses
// are taken anew for the handlers' IsFromThisPc.
void OpenUdpSocket();
// Stops the open UDP socket: sets g_App_end, closes the socket, frees the handle (only if it
// still holds this socket) and waits for the receiver to end.
void StopUdpReceiver();

// select for `seconds`, then recvfrom: the byte count, or -1 on time-out or error.
int RecvWithTimeout(platform::SOCKET s, char* buffer, int length, platform::SOCKADDR_IN* from, int* from_length,
                    long seconds);

// One TCP exchange with the selected box on port 9998: waits for the handle (20 times 500 ms,
// pumping on the main thread), connects, sends, then gives the whole 512-byte reply 15 s from the
// first wait for it, however it is split, and calls the reply handler chosen by TcpCommandKind.
// Failures set iGetNASInfoResult to 1 and return false.
bool sendTcpPacket(const uint8_t* pdubuf, int len);
// Reads the 512-byte reply into the reply buffer and calls the handler; false on a short reply or
// when the rest of the reply has not come by the deadline (the clock's NowMs()). The first piece
// is read at once: the caller has seen the socket readable.
bool processPacket(platform::SOCKET s, uint64_t reply_deadline_ms);
// Closes the calling thread's TCP exchange socket and frees the handle.
void CloseTcpSocket();

// The last TCP reply, zero-filled before each read.
const NasPacket& TcpReplyBuffer();

// The time a box may take for its whole reply, from the first wait for it.
constexpr uint64_t kTcpReplyTimeoutMs = 15000;
