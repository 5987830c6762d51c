#include <Test/Crypto/XofView.hpp>

namespace Test::Crypto {

zorvan::Bytes XofView::output(const zorvan::Bytes& message, std::size_t octets) const {
    const std::unique_ptr<XofContext> context = newContext();
    context->absorb(message.view());
    return context->squeeze(octets);
}

zorvan::Bytes XofView::output(const zorvan::LazyBytes& message, std::size_t octets) const {
    const std::unique_ptr<XofContext> context = newContext();
    for (const zorvan::Bytes& chunk : message.toChunks()) {
        context->absorb(chunk.view());
    }
    return context->squeeze(octets);
}

} // namespace Test::Crypto
