#include "target_pod_syltane.h"

namespace nandrel {

bool CTargetPodSyltane::HardwarePing() {
    return fail("CTargetPodSyltane::HardwarePing not implemented");
}

bool CTargetPodSyltane::GetSerialNumber(uint32_t* serial) {
    if (serial) *serial = 0;
    return fail("CTargetPodSyltane::GetSerialNumber not implemented");
}

bool CTargetPodSyltane::GetHardwareVersion(std::string* text) {
    if (text) *text = "Error";
    return fail("CTargetPodSyltane::GetHardwareVersion not implemented");
}

bool CTargetPodSyltane::GetFirmwareVersion(std::string* text) {
    if (text) *text = "Error";
    return fail("CTargetPodSyltane::GetFirmwareVersion not implemented");
}

bool CTargetPodSyltane::ReadPort(uint8_t*, uint32_t, uint32_t* countRead) {
    if (countRead) *countRead = 0;
    return true;
}

bool CTargetPodSyltane::WritePort(const uint8_t*, uint32_t) {
    return true;
}

}  // namespace nandrel
