// A test program whose run has every kind of outcome and values that XML cannot hold as they
// are, for checking its JUnit report against the schema CI systems read.

#include <zorvan/testing/main.hpp>

#include <Test/Crypto.hpp>

#include <stdexcept>
#include <thread>

namespace {

using namespace zorvan::testing;
using zorvan::Bytes;

std::vector<zorvan::testing::Test> everyOutcome() {
    return {TestGroup{
        "Probe <&\">",
        {testCase("passes", [] {}),
         // A few microseconds: a time a default stream would print with an exponent.
         testCase("quick", [] { std::this_thread::sleep_for(std::chrono::microseconds(5)); }),
         testCase("mismatch",
                  [] {
                      assertEqual("m]]>", Bytes{1, 0x80}, Bytes{1, 0x1b});
                  }),
         testCase("control bytes \x01\x1b\xff",
                  [] { throw std::runtime_error("cr \r ff \xff\xfe esc \x1b c1 \xc2\x85 end"); }),
         testCase("skips", [] { throw TestSkipped("not here: <none>"); }),
         testProperty("octets", {"octet", "message"}, [](std::uint8_t octet, const Bytes& message) {
             return octet > 255 - 1 && message.empty();
         })}}};
}

} // namespace

int main(int argc, char** argv) {
    return zorvan::testing::main(argc, argv, everyOutcome());
}
