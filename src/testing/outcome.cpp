#include <zorvan/testing/outcome.hpp>

#include <algorithm>
#include <iomanip>
#include <sstream>

namespace zorvan::testing {

namespace {

std::string hexOctet(std::uint8_t octet) {
    std::ostringstream out;
    out << std::hex << std::setw(2) << std::setfill('0') << static_cast<unsigned>(octet);
    return out.str();
}

// The values' labels are padded to one width so that the values line up.
void writeValues(std::ostream& out, const PrintedValue& first, const PrintedValue& second) {
    const std::size_t width = std::max(first.role.size(), second.role.size()) + 1;
    for (const PrintedValue* value : {&first, &second}) {
        out << "\n  " << std::left << std::setw(static_cast<int>(width)) << (value->role + ':')
            << ' ' << value->text;
    }
}

} // namespace

std::string describeDifference(const ByteDifference& difference) {
    std::ostringstream out;
    switch (difference.component) {
    case ByteDifference::Component::whole:
        break;
    case ByteDifference::Component::first:
        out << "first component: ";
        break;
    case ByteDifference::Component::second:
        out << "second component: ";
        break;
    }
    out << "first difference at octet " << difference.position;
    if (difference.firstOctet && difference.secondOctet) {
        out << " (" << hexOctet(*difference.firstOctet) << " vs "
            << hexOctet(*difference.secondOctet) << ")";
    }
    out << "; lengths " << difference.firstLength << " and " << difference.secondLength;
    return out.str();
}

std::string describeCheck(const FailedCheck& check) {
    std::ostringstream out;
    out << check.message;
    writeValues(out, check.first, check.second);
    if (check.difference) {
        out << "\n  " << describeDifference(*check.difference);
    }
    if (check.origin) {
        out << "\n  " << describeOrigin(*check.origin, "  ");
    }
    out << "\n  at " << check.location.file << ':' << check.location.line;
    return out.str();
}

LeafOutcome outcomeWith(LeafStatus status, std::string message, double seconds) {
    LeafOutcome outcome;
    outcome.status = status;
    outcome.message = std::move(message);
    outcome.seconds = seconds;
    return outcome;
}

std::string LeafOutcome::report() const {
    if (!falsified) {
        return check ? describeCheck(*check) : message;
    }
    std::string text = message;
    if (falsified->shrinkSteps > 0) {
        const std::size_t steps = falsified->shrinkSteps;
        text += "\n  smallest case found, shrunk in " + std::to_string(steps) +
                (steps == 1 ? " step:" : " steps:");
    }
    for (const DrawnArgument& argument : falsified->arguments) {
        text += "\n  " + argument.name + ": " + argument.value;
    }
    if (check) {
        text += "\n  " + describeCheck(*check);
    } else if (!falsified->error.empty()) {
        text += "\n  " + falsified->error;
    }
    if (falsified->shrinkSteps > 0) {
        text += "\n  the case as drawn:";
        for (const DrawnArgument& argument : falsified->drawnArguments) {
            text += "\n    " + argument.name + ": " + argument.value;
        }
    }
    return text;
}

} // namespace zorvan::testing
