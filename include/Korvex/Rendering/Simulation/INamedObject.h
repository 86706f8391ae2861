#pragma once

namespace Korvex::Rendering {

class INamedObject {
public:
    virtual ~INamedObject() = default;
    virtual const char* GetName() const = 0;
    virtual void SetName(const char* name) = 0;
};

}  // namespace Korvex::Rendering
