#include "audio/wave_buff_ring.h"

namespace kelvo {

WaveBuff::WaveBuff(std::int32_t length)
    : FLength(length), Data(std::make_unique_for_overwrite<std::int16_t[]>(length)) {
    Header.Data = Data.get();
    Header.BufferLength = static_cast<std::uint32_t>(length) * sizeof(std::int16_t);
}

WaveBuff::~WaveBuff() = default;

WaveBuffRing::WaveBuffRing(std::int32_t bufferCount, std::int32_t bufferLength)
    : FBufferCount(bufferCount) {
    Buffers.reserve(bufferCount);
    for (std::int32_t i = 0; i < bufferCount; ++i) {
        Buffers.push_back(std::make_unique<WaveBuff>(bufferLength));
        if (i > 0) Buffers[i - 1]->FNext = Buffers[i].get();
    }
    Buffers.back()->FNext = Buffers.front().get();
    FHead = FTail = Buffers.front().get();
}

WaveBuffRing::~WaveBuffRing() = default;

WaveBuff& WaveBuffRing::GetandMoveTail() {
    // Only the producer raises the count, so a count below the limit stays below it until the
    // increment; the consumer can only lower it meanwhile.
    if (FFilledCount.load(std::memory_order_acquire) >= FBufferCount) ThrowFull(GetandMoveTailFullMessage);
    WaveBuff& committed = *FTail;
    FTail = committed.FNext;
    FFilledCount.fetch_add(1, std::memory_order_acq_rel);
    return committed;
}

WaveBuff& WaveBuffRing::GetandMoveHead() {
    if (FFilledCount.load(std::memory_order_acquire) <= 0)
        throw EWaveBuffRing(GetandMoveHeadEmptyMessage);
    WaveBuff& taken = *FHead;
    FHead = taken.FNext;
    FFilledCount.fetch_sub(1, std::memory_order_acq_rel);
    return taken;
}

void WaveBuffRing::ThrowFull(const char* message) {
    throw EWaveBuffRing(message);
}

}  // namespace kelvo
