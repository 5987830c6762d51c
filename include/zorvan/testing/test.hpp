#pragma once
// The test tree: groups of unit leaves and property leaves. Building a tree runs nothing.

// First, so that an installed package's data directory is noted before anything is built.
#include <Paths_zorvan_tests.hpp>

#include <zorvan/testing/assertion.hpp>
#include <zorvan/testing/property.hpp>

#include <functional>
#include <string>
#include <type_traits>
#include <utility>
#include <variant>
#include <vector>

namespace zorvan::testing {

class Test;

/// TestGroup: a named list of tests, kept in the order given.
struct TestGroup {
    /// name: the group's name, a segment of its leaves' paths.
    std::string name;
    /// children: the groups and leaves it holds, in order.
    std::vector<Test> children;
};

/// UnitTest: a named assertion; it fails by throwing (AssertionFailure or any other error).
struct UnitTest {
    /// name: the leaf's name, the last segment of its path.
    std::string name;
    /// assertion: the check; it passes by returning.
    std::function<void()> assertion;
};

/// PropertyTest: a named property, checked on generated cases by the runner.
struct PropertyTest {
    /// name: the leaf's name, the last segment of its path.
    std::string name;
    /// property: the law and how its cases are drawn.
    Property property;
};

/// Test: a node of the tree; a group, a unit leaf or a property leaf. Sibling names may repeat.
class Test {
public:
    /// Node: what the test is.
    using Node = std::variant<TestGroup, UnitTest, PropertyTest>;

    /// Test: a group; implicit, as are the leaves', so that a braced list of groups and leaves
    /// is a list of tests.
    Test(TestGroup group) : node_(std::move(group)) {} // NOLINT: a group is a test
    /// Test: a unit leaf.
    Test(UnitTest unit) : node_(std::move(unit)) {} // NOLINT: so is a leaf
    /// Test: a property leaf.
    Test(PropertyTest property) : node_(std::move(property)) {} // NOLINT

    // Out of line, so that a file holding trees does not compile the variant's copies and moves.
    /// Test: a deep copy of the tree. Throws what copying a leaf's callable throws.
    Test(const Test& other);
    /// Test: takes the tree over. Never throws.
    Test(Test&& other) noexcept;
    /// operator=: as the copy constructor.
    Test& operator=(const Test& other);
    /// operator=: as the move constructor.
    Test& operator=(Test&& other) noexcept;
    ~Test();

    /// node: the group or leaf, for a runner or reporter to visit.
    [[nodiscard]] const Node& node() const noexcept { return node_; }
    /// name: the group's or leaf's name.
    [[nodiscard]] const std::string& name() const noexcept {
        return std::visit([](const auto& each) -> const std::string& { return each.name; }, node_);
    }

private:
    Node node_;
};

/// testCase: a unit leaf from a name and an assertion.
inline Test testCase(std::string name, std::function<void()> assertion) {
    return UnitTest{std::move(name), std::move(assertion)};
}

/// testProperty: a property leaf from a name and a Property, or a law whose parameters are
/// drawn with Arbitrary (see makeProperty).
inline Test testProperty(std::string name, Property property) {
    return PropertyTest{std::move(name), std::move(property)};
}

/// testProperty: a property leaf from a law (makeProperty, the parameters named by position).
/// An exception thrown by the law fails the case.
template <class Law>
requires(!std::is_same_v<std::decay_t<Law>, Property>) Test
    testProperty(std::string name, Law law) {
    return PropertyTest{std::move(name), makeProperty(std::move(law))};
}

/// testProperty: a property leaf whose law's parameters have names, which its falsified cases
/// show ("keySeed: 0102..."). Throws std::invalid_argument when there is not one name per
/// parameter.
template <class Law>
Test testProperty(std::string name, std::vector<std::string> argumentNames, Law law) {
    return PropertyTest{std::move(name), makeProperty(std::move(law), std::move(argumentNames))};
}

} // namespace zorvan::testing
