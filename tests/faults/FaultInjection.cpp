#include "FaultInjection.h"

#include <Korvex/Rendering/Gpu/Codes.h>

#include <algorithm>
#include <array>
#include <exception>
#include <string_view>

namespace Korvex::Rendering::faults {
namespace {

enum class Fault { NullResult, Throw };

// One undisturbed Act(): its operations in call order and the objects alive
// after it. Checks on the way that nothing is left once the subject is gone.
struct CleanRun {
    std::vector<std::string> operations;
    std::size_t liveAfterAct = 0;
};

// Acts with call `index` of the clean run misbehaving as `fault` says.
// Objects made before the fault may outlive it until their owners go (the
// host's cache keeps the programs, a mesh the gradient a draw installed), so
// leaks are counted once everything is destroyed; repeating the operation
// must not leave more objects than the clean run did.

// Whether a fault of this kind means anything for the operation: only calls
// that answer can answer null, and releases must not throw (a throwing
// release ends the process by design).


// The calls whose answer the library receives.
constexpr std::array<std::string_view, 10> kAnsweringOperations = {
    "CreateBuffer",  "CreateBufferView",    "CreateImage", "CreateImageView",        "CreateSampler",
    "CreateProgram", "CreatePipelineState", "MapImage",    "ApplyPipelineStateDesc", "WriteImage"};

bool IsRelease(std::string_view operation) { return operation.starts_with("Destroy"); }

std::size_t CountOf(const std::vector<std::string>& operations, std::string_view operation) {
    return static_cast<std::size_t>(std::count(operations.begin(), operations.end(), operation));
}

// Which call of its operation call `index` is, counting from 1, as the
// device's fault switches count.
std::uint32_t Occurrence(const std::vector<std::string>& operations, std::size_t index) {
    const auto end = operations.begin() + static_cast<std::ptrdiff_t>(index) + 1;
    return static_cast<std::uint32_t>(std::count(operations.begin(), end, operations[index]));
}

// Staging images live only within the upload that made them.
void ExpectNoStagingImageAlive(const RecordingDevice& device) {
    constexpr std::uint32_t kStagingUsage = kImageUsageCpuWrite | kImageUsageCopySource;
    for (const RecordedCall& call : device.Calls()) {
        if (call.operation != "CreateImage" || call.As<ImageDesc>().usage != kStagingUsage) continue;
        EXPECT_FALSE(device.IsLive(ImageId{call.result}))
            << "staging image " << IdText(call.result) << " outlived its upload";
    }
}

std::string ThrownBy(Subject& subject) {
    try {
        subject.Act();
    } catch (const std::exception& error) {
        return error.what();
    }
    return {};
}

bool Applies(const std::string& operation, Fault fault) {
    if (fault == Fault::Throw) return !IsRelease(operation);
    return std::find(kAnsweringOperations.begin(), kAnsweringOperations.end(), operation) !=
           kAnsweringOperations.end();
}

CleanRun RunClean(const Scenario& scenario) {
    RecordingDevice device;
    CleanRun clean;
    {
        const std::unique_ptr<Subject> subject = scenario.prepare(device);
        device.ClearCalls();
        subject->Act();
        clean.operations = device.OperationNames();
        clean.liveAfterAct = device.LiveObjectCount();
    }
    EXPECT_EQ(device.LiveObjectCount(), 0u) << "objects left alive without any fault";
    return clean;
}

void RunWithFault(const Scenario& scenario, const CleanRun& clean, std::size_t index, Fault fault) {
    const std::vector<std::string>& cleanRun = clean.operations;
    const std::string& operation = cleanRun[index];
    const std::uint32_t occurrence = Occurrence(cleanRun, index);
    SCOPED_TRACE("call " + std::to_string(index) + ", " + operation + " #" + std::to_string(occurrence) +
                 (fault == Fault::Throw ? " throws" : " answers null"));
    RecordingDevice device;
    {
        const std::unique_ptr<Subject> subject = scenario.prepare(device);
        device.ClearCalls();
        if (fault == Fault::Throw)
            device.ThrowFrom(operation, occurrence);
        else
            device.FailOperation(operation, occurrence);
        const std::string thrown = ThrownBy(*subject);
        device.ClearFaults();

        const std::vector<std::string> faulted = device.OperationNames();
        ASSERT_GT(faulted.size(), index);
        ASSERT_TRUE(std::equal(cleanRun.begin(), cleanRun.begin() + static_cast<std::ptrdiff_t>(index) + 1,
                               faulted.begin()))
            << "the run went another way before the fault";
        if (fault == Fault::Throw) {
            EXPECT_EQ(thrown, "RecordingDevice::" + operation + "(): injected fault")
                << "the device's exception must reach the caller unchanged";
            for (std::size_t i = index + 1; i < faulted.size(); ++i)
                EXPECT_TRUE(IsRelease(faulted[i])) << faulted[i] << " after the exception: only releases may follow";
            subject->ExpectStateAfterThrow();
        } else {
            EXPECT_EQ(thrown, "") << "a null answer is not an error";
        }
        ExpectNoStagingImageAlive(device);

        const bool creationFailed =
            fault == Fault::NullResult && (operation == "CreateProgram" || operation == "CreatePipelineState");
        if (creationFailed) {
            EXPECT_LT(CountOf(faulted, "BindDrawCall"), CountOf(cleanRun, "BindDrawCall"))
                << "a pass without its program or pipeline is skipped";
        }

        // Whatever the fault left behind must carry the next call.
        device.ClearCalls();
        EXPECT_EQ(ThrownBy(*subject), "");
        ExpectNoStagingImageAlive(device);
        EXPECT_LE(device.LiveObjectCount(), clean.liveAfterAct) << "more objects than without the fault";
        if (creationFailed) {
            const std::vector<std::string> again = device.OperationNames();
            EXPECT_EQ(CountOf(again, "CreateProgram") + CountOf(again, "CreatePipelineState"), 0u)
                << "a failed creation stays cached and is not retried";
            EXPECT_EQ(CountOf(again, "BindDrawCall"), CountOf(faulted, "BindDrawCall"))
                << "the same passes are skipped again";
        }
    }
    EXPECT_EQ(device.LiveObjectCount(), 0u) << "objects left alive";
}

}  // namespace

std::string ScenarioName(const ::testing::TestParamInfo<Scenario>& info) { return info.param.name; }

TEST_P(FaultInjectionTest, EveryDeviceCallMayAnswerNullOrThrow) {
    const Scenario& scenario = GetParam();
    const CleanRun clean = RunClean(scenario);
    ASSERT_FALSE(clean.operations.empty());
    for (std::size_t index = 0; index < clean.operations.size(); ++index)
        for (const Fault fault : {Fault::NullResult, Fault::Throw})
            if (Applies(clean.operations[index], fault)) RunWithFault(scenario, clean, index, fault);
}

}  // namespace Korvex::Rendering::faults
