#include <zorvan/block_cipher.hpp>

#include <algorithm>

namespace zorvan {

std::optional<Bytes> unpadESP(const Bytes& padded) {
    if (padded.empty()) {
        return std::nullopt;
    }
    const std::size_t padLength = padded[padded.size() - 1];
    if (padLength + 1 > padded.size()) {
        return std::nullopt;
    }
    const std::size_t messageLength = padded.size() - 1 - padLength;
    for (std::size_t i = 0; i < padLength; ++i) {
        if (padded[messageLength + i] != static_cast<std::uint8_t>(i + 1)) {
            return std::nullopt;
        }
    }
    return padded.take(messageLength);
}

namespace detail {

Bytes padESP(const Bytes& message, std::size_t blockOctets) {
    const std::size_t padLength = (blockOctets - (message.size() + 1) % blockOctets) % blockOctets;
    return Bytes::create(message.size() + padLength + 1, [&](std::span<std::uint8_t> padded) {
        std::uint8_t* next = copyOctets(message.view(), padded.data());
        for (std::size_t i = 1; i <= padLength; ++i) {
            *next++ = static_cast<std::uint8_t>(i);
        }
        *next = static_cast<std::uint8_t>(padLength);
    });
}

Bytes padPkcs7(const Bytes& message, std::size_t blockOctets) {
    if (blockOctets == 0 || blockOctets > 255) {
        throw std::invalid_argument("PKCS#7 pads blocks of 1 to 255 octets, not " +
                                    std::to_string(blockOctets));
    }
    const std::size_t padLength = blockOctets - message.size() % blockOctets;
    return Bytes::create(message.size() + padLength, [&](std::span<std::uint8_t> padded) {
        std::fill(copyOctets(message.view(), padded.data()), padded.data() + padded.size(),
                  static_cast<std::uint8_t>(padLength));
    });
}

std::optional<Bytes> unpadPkcs7(const Bytes& padded, std::size_t blockOctets) {
    if (padded.size() < blockOctets || blockOctets == 0) {
        return std::nullopt;
    }
    const std::uint8_t padLength = padded[padded.size() - 1];
    // One flag gathered over the whole last block, so that no octet ends the check early.
    unsigned wrong =
        static_cast<unsigned>(padLength == 0) | static_cast<unsigned>(padLength > blockOctets);
    for (std::size_t i = 1; i <= blockOctets; ++i) {
        const unsigned counted = static_cast<unsigned>(i <= padLength);
        wrong |= counted & static_cast<unsigned>(padded[padded.size() - i] != padLength);
    }
    if (wrong != 0) {
        return std::nullopt;
    }
    return padded.take(padded.size() - padLength);
}

void throwPartialBlock(const char* mode, std::size_t length, std::size_t block) {
    throw std::invalid_argument(std::string(mode) + " input of " + std::to_string(length) +
                                " octets is not a whole number of " + std::to_string(block) +
                                "-octet blocks");
}

namespace {

// Replaces the block in place by its encryption.
void encryptInPlace(const KeyBlocks& key, std::span<std::uint8_t> block) {
    copyOctets(key.encrypt(key.key, Bytes(block)).view(), block.data());
}

const char* modeName(FeedbackMode mode) {
    switch (mode) {
    case FeedbackMode::cbcEncrypt:
    case FeedbackMode::cbcDecrypt:
        return "CBC";
    case FeedbackMode::cfbEncrypt:
    case FeedbackMode::cfbDecrypt:
        return "CFB";
    case FeedbackMode::ofb:
        return "OFB";
    case FeedbackMode::ctr:
        return "CTR";
    }
    return "an unknown mode";
}

// One step of a mode: the feedback register, one input block (the last may be short in the
// stream modes) and the output block; the step leaves the next feedback value in the register.
void step(FeedbackMode mode, const KeyBlocks& key, std::span<std::uint8_t> feedback,
          std::span<const std::uint8_t> in, std::span<std::uint8_t> out) {
    switch (mode) {
    case FeedbackMode::cbcEncrypt:
        xorOctets(feedback, feedback, in);
        encryptInPlace(key, feedback);
        copyOctets(feedback, out.data());
        return;
    case FeedbackMode::cbcDecrypt:
        xorOctets(out, key.decrypt(key.key, Bytes(in)).view(), feedback);
        copyOctets(in, feedback.data());
        return;
    case FeedbackMode::cfbEncrypt:
    case FeedbackMode::cfbDecrypt:
        encryptInPlace(key, feedback);
        xorOctets(out, in, feedback);
        copyOctets(mode == FeedbackMode::cfbDecrypt ? in : std::span<const std::uint8_t>(out),
                   feedback.data());
        return;
    case FeedbackMode::ofb:
        encryptInPlace(key, feedback);
        xorOctets(out, in, feedback);
        return;
    case FeedbackMode::ctr:
        xorOctets(out, in, key.encrypt(key.key, Bytes(feedback)).view());
        incrementBigEndian(feedback);
        return;
    }
}

} // namespace

std::pair<Bytes, Bytes> runFeedbackMode(FeedbackMode mode, const KeyBlocks& key, const Bytes& iv,
                                        const Bytes& input) {
    const std::size_t block = key.blockOctets;
    const bool wholeBlocksOnly =
        mode == FeedbackMode::cbcEncrypt || mode == FeedbackMode::cbcDecrypt;
    if (wholeBlocksOnly && input.size() % block != 0) {
        throwPartialBlock(modeName(mode), input.size(), block);
    }
    std::vector<std::uint8_t> feedback(iv.begin(), iv.end());
    Bytes output = Bytes::create(input.size(), [&](std::span<std::uint8_t> octets) {
        for (std::size_t start = 0; start < input.size(); start += block) {
            const std::size_t length = std::min(block, input.size() - start);
            step(mode, key, feedback, input.view().subspan(start, length),
                 octets.subspan(start, length));
        }
    });
    return {std::move(output), Bytes(std::span<const std::uint8_t>(feedback))};
}

Bytes runEcb(const KeyBlocks& key, const Bytes& input, bool decrypt) {
    if (input.size() % key.blockOctets != 0) {
        throwPartialBlock("ECB", input.size(), key.blockOctets);
    }
    if (input.empty()) {
        return input;
    }
    return (decrypt ? key.decrypt : key.encrypt)(key.key, input);
}

LazyBytes streamChunksWithoutIV(std::size_t blockOctets, const LazyBytes& input,
                                const ChunkStep& step) {
    // ECB carries no state between calls; a zero IV only drives the shared streaming loop.
    const Bytes zeroes = Bytes::create(blockOctets, [](std::span<std::uint8_t> octets) {
        std::fill(octets.begin(), octets.end(), std::uint8_t{0});
    });
    return streamChunks(blockOctets, zeroes, input, step).first;
}

std::pair<LazyBytes, Bytes> streamChunks(std::size_t blockOctets, Bytes iv, const LazyBytes& input,
                                         const ChunkStep& step) {
    std::vector<Bytes> output;
    std::vector<std::uint8_t> carry;
    const auto flush = [&](std::size_t length) {
        auto [processed, next] =
            step(iv, Bytes(std::span<const std::uint8_t>(carry).first(length)));
        output.push_back(std::move(processed));
        iv = std::move(next);
        carry.erase(carry.begin(), carry.begin() + static_cast<std::ptrdiff_t>(length));
    };
    for (const Bytes& chunk : input.toChunks()) {
        carry.insert(carry.end(), chunk.begin(), chunk.end());
        if (const std::size_t whole = carry.size() - carry.size() % blockOctets; whole > 0) {
            flush(whole);
        }
    }
    if (!carry.empty()) {
        flush(carry.size());
    }
    return {LazyBytes::fromChunks(std::move(output)), std::move(iv)};
}

} // namespace detail
} // namespace zorvan
