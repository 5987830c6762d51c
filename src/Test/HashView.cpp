#include <Test/Crypto/HashView.hpp>

namespace Test::Crypto {

namespace {

// A context of the view as zorvan::detail::hmacOver takes one: a value with update and finalize.
class ContextValue {
public:
    explicit ContextValue(std::unique_ptr<HashContext> context) : context_(std::move(context)) {}
    void update(std::span<const std::uint8_t> octets) { context_->update(octets); }
    Digest finalize() { return context_->finalize(); }

private:
    std::unique_ptr<HashContext> context_;
};

template <class FeedMessage>
Digest hmacOverView(const HashView& view, const zorvan::Bytes& key, FeedMessage feedMessage) {
    return zorvan::detail::hmacOver(
        view.blockLength() / 8, key, [&view] { return ContextValue(view.newContext()); },
        [&view](const Digest& digest) { return view.encode(digest); },
        [&view](const zorvan::Bytes& longKey) { return view.digestOctets(longKey); }, feedMessage);
}

} // namespace

std::string HashView::print(const Digest& digest) const {
    return zorvan::testing::describe(encode(digest));
}

zorvan::Bytes HashView::macOctets(const zorvan::Bytes& key, const zorvan::Bytes& message) const {
    return encode(hmacStrict(key, message));
}

zorvan::Bytes HashView::chunkedMacOctets(const zorvan::Bytes& key,
                                         const zorvan::LazyBytes& message) const {
    return encode(hmac(key, message));
}

Digest genericHmac(const HashView& view, const zorvan::Bytes& key,
                   const zorvan::LazyBytes& message) {
    return hmacOverView(view, key, [&message](ContextValue& context) {
        for (const zorvan::Bytes& chunk : message.toChunks()) {
            context.update(chunk.view());
        }
    });
}

Digest genericHmac(const HashView& view, const zorvan::Bytes& key, const zorvan::Bytes& message) {
    return hmacOverView(view, key,
                        [&message](ContextValue& context) { context.update(message.view()); });
}

} // namespace Test::Crypto
