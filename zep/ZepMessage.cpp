#include "zep/ZepMessage.h"

#include <cstring>
#include <new>
#include <utility>

ZepMessage::~ZepMessage() {
    ZepFreeMessageData(this);
}

ZepMessage::ZepMessage(const ZepMessage& other) {
    std::memcpy(header, other.header, sizeof(header));
    SetData(other.data, other.length);
}

ZepMessage& ZepMessage::operator=(const ZepMessage& other) {
    if (this != &other) {
        std::memcpy(header, other.header, sizeof(header));
        SetData(other.data, other.length);
    }
    return *this;
}

ZepMessage::ZepMessage(ZepMessage&& other) noexcept
    : length(std::exchange(other.length, 0)), data(std::exchange(other.data, nullptr)) {
    std::memcpy(header, other.header, sizeof(header));
}

ZepMessage& ZepMessage::operator=(ZepMessage&& other) noexcept {
    if (this != &other) {
        ZepFreeMessageData(this);
        std::memcpy(header, other.header, sizeof(header));
        length = std::exchange(other.length, 0);
        data = std::exchange(other.data, nullptr);
    }
    return *this;
}

bool ZepMessage::SetData(const void* bytes, uint32_t n) {
    if (n > 0 && bytes == nullptr) {
        return false;
    }
    uint8_t* block = nullptr;
    if (n > 0) {
        block = new (std::nothrow) uint8_t[n];
        if (block == nullptr) {
            return false;
        }
        std::memcpy(block, bytes, n);
    }
    delete[] data;
    data = block;
    length = n;
    return true;
}

void ZepFreeMessageData(ZepMessage* message) {
    if (message == nullptr) {
        return;
    }
    delete[] message->data;
    message->data = nullptr;
    message->length = 0;
}

void ZepFreeDelivery(ZepDeliveryInfo* info, ZepMessage* message) {
    ZepFreeMessageData(message);
    delete message;
    delete info;
}
