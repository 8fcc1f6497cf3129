// Builds the page model from the element and attribute calls of one page:
// an element's name, then its attributes last to first ("UnicodeString" as
// UTF-16, everything else UTF-8), its children, and its end. The elements of
// a resource dictionary that the page references by Source follow the end of
// the referencing ResourceDictionary element and land in the same scope.
//
// Resources are resolved by scope ({StaticResource key} looks in the
// enclosing canvases' and the page's dictionaries, innermost first),
// property elements (Path.Data, Canvas.RenderTransform, ...) are folded into
// their owners, path data is parsed once, fonts are fetched through
// PageResources. The first fault ends the build with a one-line message that
// names the element.
//
// The builder keeps no code pointers either, so that whichever copy of this
// code outlives an aborted page can destroy it.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "font_part.h"
#include "model_limits.h"
#include "page_model.h"

namespace tav::render {

// What the builder asks of the job it belongs to.
class PageResources {
public:
    virtual ~PageResources() = default;
    // The font of a Glyphs element; null with *error set when the part
    // cannot be had or is not a font.
    virtual const FontMetrics* Font(const FontReference& font, std::string* error) = 0;
    // The image of an ImageBrush, in sRGB (converted through the profile
    // part `profileUri` when it is not empty); null with *error when it
    // cannot be had. The image stays valid until the page has been drawn.
    virtual const DecodedImage* Image(const std::string& uri, const std::string& profileUri, std::string* error) = 0;
    // The sRGB of colour channels (from 0 to 1) through the profile part
    // `profileUri`; false when the profile cannot be had or does not suit
    // them, once the job has warned that the nearest sRGB stands in.
    virtual bool ProfileColour(const std::string& profileUri, const std::vector<double>& channels, Rgba* colour) = 0;
};

class ModelBuilder {
public:
    ModelBuilder(PageResources* resources, ModelLimits limits = {});
    ~ModelBuilder();
    ModelBuilder(const ModelBuilder&) = delete;
    ModelBuilder& operator=(const ModelBuilder&) = delete;

    // Each returns false once the build has failed; Error() then says why.
    bool StartElement(std::string_view name);
    bool Attribute(std::string_view name, std::string_view value);
    bool UnicodeStringAttribute(std::u16string_view value);
    // name is empty for an element ended without children.
    bool EndElement(std::string_view name);

    bool Failed() const { return !error_.empty(); }
    const std::string& Error() const { return error_; }
    // True once the FixedPage element has ended.
    bool PageComplete() const { return complete_; }
    Page& page() { return page_; }

    struct Frame;

private:
    enum class Resource { None, Brush, Geometry, Transform, Visual };
    struct ResourceEntry {
        Resource kind = Resource::None;
        int index = kNone;
        Affine transform;
    };
    using Dictionary = std::map<std::string, ResourceEntry, std::less<>>;

    bool Fail(const std::string& element, const std::string& reason);
    bool Seal(Frame& frame);
    Frame* Owner(size_t index);
    Frame* Parent();
    bool Finish(Frame& frame);

    std::optional<ResourceEntry> Lookup(std::string_view key) const;
    // A Fill, Stroke, Data, Clip, RenderTransform or Transform attribute:
    // a literal value or a {StaticResource key}.
    bool BrushAttribute(Frame& frame, std::string_view name, int* brush);
    bool GeometryAttribute(Frame& frame, std::string_view name, int* geometry);
    bool TransformAttribute(Frame& frame, std::string_view name, Affine* transform);
    bool NumberAttribute(Frame& frame, std::string_view name, double* value, bool required);
    bool ColourAttribute(Frame& frame, std::string_view name, Rgba* colour, bool required);
    int AddBrush(Brush brush, uint64_t cost = 0, size_t depth = 0);
    int AddGeometry(Geometry geometry);
    bool CheckSegments(Frame& frame, size_t added);
    bool Deliver(Frame& frame, ResourceEntry value);

    bool SealFixedPage(Frame& frame);
    bool SealCanvas(Frame& frame);
    bool ApplyNodeAttributes(Frame& frame, Node* node);
    bool ActivateCanvas(Frame& frame);
    bool FinishPath(Frame& frame);
    bool FinishGlyphs(Frame& frame);
    bool FinishSolidColorBrush(Frame& frame);
    bool FinishGradientBrush(Frame& frame, bool radial);
    bool FinishImageBrush(Frame& frame);
    bool FinishVisualBrush(Frame& frame);
    bool TileBrushAttributes(Frame& frame, Brush* brush);
    bool FinishVisualRoot(Frame& frame);
    // The node list of a content element: the page's (kPageList) or a
    // visual's.
    std::vector<Node>& List(int list) { return list == kPageList ? page_.nodes : page_.visuals[list]; }
    bool AddNode(Frame& frame, Node node);
    // Counts what drawing the node costs, with its brushes, into its list.
    bool CountNode(Frame& frame, const Node& node);
    bool FinishPathGeometry(Frame& frame);
    bool FinishPathFigure(Frame& frame);
    bool FinishSegment(Frame& frame);
    bool FinishGradientStop(Frame& frame);
    bool FinishMatrixTransform(Frame& frame);
    bool FinishProperty(Frame& frame);

    PageResources* resources_;
    ModelLimits limits_;
    std::vector<std::unique_ptr<Frame>> frames_;
    std::vector<Dictionary> scopes_;
    size_t resourceCount_ = 0;
    size_t segmentCount_ = 0;
    size_t glyphCount_ = 0;
    size_t nodeCount_ = 0;
    static constexpr int kPageList = -1;
    // What drawing each brush once costs (elements drawn) and how deep its
    // visuals nest, by brush index; the same for each visual's list.
    std::vector<uint64_t> brushCost_;
    std::vector<size_t> brushDepth_;
    std::vector<uint64_t> visualCost_;
    std::vector<size_t> visualDepth_;
    uint64_t pageCost_ = 0;
    bool started_ = false;
    bool complete_ = false;
    std::string error_;
    Page page_;
};

}  // namespace tav::render
