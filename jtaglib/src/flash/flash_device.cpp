#include "flash/flash_device.h"
#include "nandrel/device/device_class.h"
#include "nandrel/device/memory_layout.h"

namespace nandrel {

bool FlashDevice::flashRange(uint32_t first, uint32_t last) const {
    if (last < first) return false;
    if (inInfo(first) && inInfo(last)) return true;
    if (inMain(first) && inMain(last)) return true;
    return inInfo(first) && inMain(last) && infoEnd + 1 == mainStart;
}

FlashDevice FlashDeviceOf(uint32_t deviceClass) {
    const device::DeviceClass& c = device::GetDeviceClass(deviceClass);
    const device::MemoryLayout& m = device::GetMemoryLayout(deviceClass);
    FlashDevice d;
    d.mainStart = m.mainStart;
    d.mainEnd = m.mainEnd;
    d.infoStart = m.infoStart;
    d.infoEnd = m.infoEnd;
    d.infoSegment = m.infoSegmentSize != 0 ? m.infoSegmentSize : 0x80;
    d.mainSegment = m.mainSegmentSize;
    d.ramStart = m.ramStart;
    d.ramEnd = m.ramEnd;
    d.ram2Start = m.ram2Start;
    d.ram2End = m.ram2End;
    d.flashKind = c.flashKind;
    d.clockControl = c.clockControl;
    d.hasEem = c.hasEem();
    d.newerFlash = c.newerFlash();
    d.msp430x = c.msp430x;
    d.writeTwice = c.writeTwice();
    d.converter = c.converter();
    d.i2c = c.i2c();
    d.flashTest = c.flashTest;
    d.eraseAllFromMainStart = c.eraseAllFromMainStart;
    d.sfrMasks = c.sfrMasks;
    return d;
}

FlashDevice FlashDeviceFor(uint32_t selectedDevice, uint32_t deviceClass) {
    if (selectedDevice != 0) return FlashDeviceOf(deviceClass);
    FlashDevice d;
    d.mainStart = 0x1100;
    d.mainEnd = 0xFFFF;
    d.infoStart = 0x1000;
    d.infoEnd = 0x10FF;
    d.ramStart = 0x0200;
    d.ramEnd = 0x09FF;
    d.sfrMasks.fill(0xFF);
    return d;
}

}  // namespace nandrel
