#pragma once

namespace kelvo {

// Qt builds a control's accessible interface the first time anything asks for it and keeps it,
// so the program's own interfaces (read-only boxes, the chart) must be known before the first
// control is created. Installing twice does nothing more.
void InstallAccessibleFactory();

}  // namespace kelvo
