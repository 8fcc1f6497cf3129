#include "test_profiles.h"

#include <lcms2.h>

#include <vector>

namespace tav::render::testing {

namespace {

std::string Saved(cmsHPROFILE profile)
{
    cmsUInt32Number size = 0;
    cmsSaveProfileToMem(profile, nullptr, &size);
    std::string bytes(size, '\0');
    cmsSaveProfileToMem(profile, bytes.data(), &size);
    cmsCloseProfile(profile);
    return bytes;
}

cmsToneCurve* SrgbCurve()
{
    const cmsFloat64Number parameters[5] = {2.4, 1 / 1.055, 0.055 / 1.055, 1 / 12.92, 0.04045};
    return cmsBuildParametricToneCurve(nullptr, 4, parameters);
}

void Describe(cmsHPROFILE profile, const char* text)
{
    cmsMLU* description = cmsMLUalloc(nullptr, 1);
    cmsMLUsetASCII(description, "en", "US", text);
    cmsWriteTag(profile, cmsSigProfileDescriptionTag, description);
    cmsMLUfree(description);
}

}  // namespace

std::string SrgbProfile() { return Saved(cmsCreate_sRGBProfile()); }

std::string SwappedRgbProfile()
{
    cmsCIExyY white;
    cmsWhitePointFromTemp(&white, 6504);
    cmsCIExyYTRIPLE primaries = {{0.1500, 0.0600, 1}, {0.3000, 0.6000, 1}, {0.6400, 0.3300, 1}};
    cmsToneCurve* curve = SrgbCurve();
    cmsToneCurve* curves[3] = {curve, curve, curve};
    cmsHPROFILE profile = cmsCreateRGBProfile(&white, &primaries, curves);
    cmsFreeToneCurve(curve);
    Describe(profile, "red and blue swapped");
    return Saved(profile);
}

std::string LinearGreyProfile()
{
    cmsToneCurve* linear = cmsBuildGamma(nullptr, 1.0);
    cmsHPROFILE profile = cmsCreateGrayProfile(cmsD50_xyY(), linear);
    cmsFreeToneCurve(linear);
    Describe(profile, "linear grey");
    return Saved(profile);
}

std::string PlainCmykProfile()
{
    cmsHPROFILE srgb = cmsCreate_sRGBProfile();
    cmsHPROFILE lab = cmsCreateLab4Profile(nullptr);
    cmsHTRANSFORM toLab = cmsCreateTransform(srgb, TYPE_RGB_DBL, lab, TYPE_Lab_DBL, INTENT_RELATIVE_COLORIMETRIC, 0);
    // The corners of the table, C slowest: each gives its plain colour.
    std::vector<cmsUInt16Number> table;
    for (int corner = 0; corner < 16; ++corner) {
        double c = corner >> 3 & 1, m = corner >> 2 & 1, y = corner >> 1 & 1, k = corner & 1;
        double rgb[3] = {(1 - c) * (1 - k), (1 - m) * (1 - k), (1 - y) * (1 - k)};
        cmsCIELab value;
        cmsDoTransform(toLab, rgb, &value, 1);
        cmsUInt16Number encoded[3];
        cmsFloat2LabEncoded(encoded, &value);
        table.insert(table.end(), encoded, encoded + 3);
    }
    cmsDeleteTransform(toLab);
    cmsCloseProfile(lab);
    cmsCloseProfile(srgb);

    cmsHPROFILE profile = cmsCreateProfilePlaceholder(nullptr);
    cmsSetProfileVersion(profile, 4.3);
    cmsSetDeviceClass(profile, cmsSigOutputClass);
    cmsSetColorSpace(profile, cmsSigCmykData);
    cmsSetPCS(profile, cmsSigLabData);
    cmsWriteTag(profile, cmsSigMediaWhitePointTag, cmsD50_XYZ());
    cmsPipeline* toPcs = cmsPipelineAlloc(nullptr, 4, 3);
    // Identity curves around the table: the layout a profile's table is
    // written in.
    cmsPipelineInsertStage(toPcs, cmsAT_END, cmsStageAllocToneCurves(nullptr, 4, nullptr));
    cmsPipelineInsertStage(toPcs, cmsAT_END, cmsStageAllocCLut16bit(nullptr, 2, 4, 3, table.data()));
    cmsPipelineInsertStage(toPcs, cmsAT_END, cmsStageAllocToneCurves(nullptr, 3, nullptr));
    cmsWriteTag(profile, cmsSigAToB0Tag, toPcs);
    cmsPipelineFree(toPcs);
    Describe(profile, "plain inks");
    return Saved(profile);
}

}  // namespace tav::render::testing
