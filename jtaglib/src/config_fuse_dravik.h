// Programs the configuration fuses that select the variant a chip behaves as.
// Created by the target for one feature query over its protocol object; the
// pod does the programming, the library readies the chip by having the pod
// execute single instructions on it.
#pragma once

#include <cstdint>
#include <string>

namespace nandrel {

class CTargetProtocolJTAG;

// Target feature ids that program the configuration fuses.
inline constexpr uint32_t kFuseFeatureFirst = 0x4616;
inline constexpr uint32_t kFuseFeatureLast = 0x4619;

class CConfigFuseDravik {
  public:
    explicit CConfigFuseDravik(CTargetProtocolJTAG* protocol) : protocol_(protocol) {}

    // Programs the fuse value of the feature id; the device index does not
    // change the steps. False with the error text set.
    bool ConfigureFuses(uint32_t featureId, uint32_t deviceIndex);

    const std::string& errorText() const { return errorText_; }
    // The pod's answer to the last fuse command.
    uint32_t status() const { return status_; }

    // The fuse value a feature id programs; false for an id that is no fuse feature.
    static bool FuseValueOf(uint32_t featureId, uint8_t* fuseValue);

  private:
    bool ProgramFuses(uint8_t fuseValue);
    bool SwitchProgrammingSupplyOff();
    bool Fail(std::string text);
    bool PodFailure();

    std::string errorText_ = "No error";
    CTargetProtocolJTAG* protocol_;
    uint32_t status_ = 0;
};

}  // namespace nandrel
