#pragma once
// Whether the library's attach may load the driver (QnLoadDriver probes every device), or must
// leave it to the first LvQnOpenDevice or LvQnEnumDevices.

namespace zo::quintellv {

bool attachMayProbe();

}  // namespace zo::quintellv
