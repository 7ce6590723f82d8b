#pragma once

#include <cstdint>

#include "link/records.h"
#include "link/wire.h"

// Packet codec: plain functions over caller-owned buffers. The only state is the process-wide
// transaction counter, which starts at 1 so that the first id of a run is 2.

uint32_t NextTransactionId();
// The counter's current value: the id of the request built last.
uint32_t CurrentTransactionId();
// Test hook: puts the counter at a chosen value.
void SetTransactionCounterForTest(uint32_t value);

uint32_t BuildRequestHeader(NasPacket& packet, uint16_t opcode, const NasMac& target_mac, const NasPassword& password);
ResponseHeaderResult CheckResponseHeader(const NasPacket& reply, uint32_t expected_id, const NasMac& expected_mac);

uint32_t BuildProbeRequest(NasPacket& packet, const NasMac& target_mac, const NasPassword& password);
ResponseHeaderResult ParseProbeReply(const NasPacket& reply, uint32_t expected_id, const NasMac& expected_mac,
                                     NasProbeRecord& record);

uint32_t BuildSettingsRequest(NasPacket& packet, const NasMac& target_mac, const NasPassword& password,
                              const NasSettingsRecord& record);
ResponseHeaderResult ParseSettingsReply(const NasPacket& reply, uint32_t expected_id, const NasMac& expected_mac,
                                        NasSettingsRecord& record);

// 0 when the reply is a discovery reply (service 12, direction 22, whole opcode 31), and the
// record is then copied from reply byte 8; 1 otherwise, with the record untouched.
int ParseDiscoveryReply(const NasPacket& reply, NasDiscoveryRecord& record);

// The discovery request: zero-filled, 12, 21, opcode 31, transaction id 0, MAC and password zero.
void BuildDiscoveryRequest(NasPacket& packet);
