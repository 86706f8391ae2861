#pragma once

// Runs one library operation once per device call it makes, with that call
// misbehaving: answering with the null id (a null map, false), or throwing.
// Each run starts from a fresh device and a freshly prepared subject, repeats
// the operation without faults afterwards, and destroys everything; the device
// must then hold no object.

#include <RecordingDevice.h>

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace Korvex::Rendering::faults {

// What one operation under test needs, prepared without faults. Destroying
// it releases everything it made, as a host would: meshes, the cache,
// geometry and grids, then the targets.
class Subject {
public:
    virtual ~Subject() = default;
    virtual void Act() = 0;
    // What must hold after Act() let an exception of the device through.
    virtual void ExpectStateAfterThrow() const {}
};

struct Scenario {
    std::string name;
    std::function<std::unique_ptr<Subject>(RecordingDevice&)> prepare;
};

inline void PrintTo(const Scenario& scenario, std::ostream* out) { *out << scenario.name; }

// Every scenario, run at every call with either fault.
class FaultInjectionTest : public ::testing::TestWithParam<Scenario> {};

std::string ScenarioName(const ::testing::TestParamInfo<Scenario>& info);

}  // namespace Korvex::Rendering::faults
