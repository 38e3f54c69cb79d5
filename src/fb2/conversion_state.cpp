// The body conversion state and the book description of the run.
#include "fb2/conversion_state.h"

#include "fb2/description.h"

namespace tavorin::fb2 {

ConversionState g_conv;

BookDescription g_description;

void ResetFb2State() {
    g_conv = ConversionState{};
    g_description = BookDescription{};
    lrf::g_store = lrf::ObjectStore{};
}

}  // namespace tavorin::fb2

namespace tavorin::lrf {
ObjectStore g_store;
}  // namespace tavorin::lrf

namespace tavorin {
ConversionSettings g_settings = BuiltInSettings();
}  // namespace tavorin
