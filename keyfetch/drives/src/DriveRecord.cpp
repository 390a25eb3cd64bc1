#include "oltrex/drives/DriveRecord.h"

#include "oltrex/platform/PathText.h"

namespace oltrex {

std::string driveRootText(const DriveRecord& drive) { return withSeparator(drive.name); }

}  // namespace oltrex
