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

enum class Fault { NullResult, Throw };

// One undisturbed Act(): its operations in call order and the objects alive
// after it. Checks on the way that nothing is left once the subject is gone.
struct CleanRun {
    std::vector<std::string> operations;
    std::size_t liveAfterAct = 0;
};
CleanRun RunClean(const Scenario& scenario);

// Acts with call `index` of the clean run misbehaving as `fault` says.
// Objects made before the fault may outlive it until their owners go (the
// host's cache keeps the programs, a mesh the gradient a draw installed), so
// leaks are counted once everything is destroyed; repeating the operation
// must not leave more objects than the clean run did.
void RunWithFault(const Scenario& scenario, const CleanRun& clean, std::size_t index, Fault fault);

// Whether a fault of this kind means anything for the operation: only calls
// that answer can answer null, and releases must not throw (a throwing
// release ends the process by design).
bool Applies(const std::string& operation, Fault fault);

// Every scenario, run at every call with either fault.
class FaultInjectionTest : public ::testing::TestWithParam<Scenario> {};

std::string ScenarioName(const ::testing::TestParamInfo<Scenario>& info);

}  // namespace Korvex::Rendering::faults
