// The DOM document: loading, XPath with the document's own prefixes, the
// attribute walk, building and changing trees with namespaces, node
// lifetimes, serialisation and the persistence stream.
#include "xml_test_support.h"

namespace {

using namespace xmltest;

class Dom : public ComTest {};

// A hand-made ticket with a one-letter framework prefix and a private
// namespace under an ns0000 prefix.
const std::string kHandTicket =
    std::string("<p:PrintTicket xmlns:p=\"") + kFramework + "\" xmlns:psk=\"" + kKeywords +
    "\" xmlns:ns0000=\"http://tav.example/quix/printing/2006/11/printschemakeywords\"" + " xmlns:xsi=\"" + kXsi +
    "\" xmlns:xsd=\"" + kXsd + "\" version=\"1\">" +
    "<p:Feature name=\"psk:PageMediaSize\">"
    "<p:ScoredProperty name=\"psk:OptionName\"><p:Value xsi:type=\"xsd:string\">psk:Letter</p:Value></p:ScoredProperty>"
    "</p:Feature>"
    "<p:Feature name=\"ns0000:PageWatermark\"><p:Option name=\"ns0000:Custom\"/></p:Feature>"
    "<p:Feature name=\"psk:JobStapleAllDocuments\"><p:Option name=\"psk:None\"/></p:Feature>"
    "</p:PrintTicket>";

TEST_F(Dom, RealTicketsAnswerXPathWithTheirOwnPrefixes)
{
    std::string job, document;
    READ_FIXTURE_OR_SKIP("xps/mb06.xps", "Resources/Job_PT.xml", &job);
    READ_FIXTURE_OR_SKIP("xps/mb06.xps", "Resources/Document1_PT.xml", &document);

    ComPtr<IXMLDOMDocument2> jobTicket = LoadDocument(job);
    SetSelectionNamespaces(jobTicket.Get(), std::string("xmlns:psf='") + kFramework + "'");
    ComPtr<IXMLDOMNode> copies =
        Select(jobTicket.Get(), "//psf:ParameterInit[@name = \"psk:JobCopiesAllDocuments\"]/psf:Value");
    ASSERT_TRUE(copies);
    EXPECT_EQ(Text(copies.Get()), "2");
    VARIANT typed;
    ASSERT_EQ(copies->get_nodeTypedValue(&typed), S_OK);
    EXPECT_EQ(typed.vt, VT_BSTR);
    EXPECT_EQ(WideToUtf8(typed.bstrVal, SysStringLen(typed.bstrVal)), "2");
    VariantClear(&typed);
    // Inside the ticket the Value carries no declarations of its own.
    EXPECT_EQ(Xml(copies.Get()), "<psf:Value xsi:type=\"xs:integer\">2</psf:Value>");

    ComPtr<IXMLDOMDocument2> documentTicket = LoadDocument(document);
    SetSelectionNamespaces(documentTicket.Get(), std::string("xmlns:psf='") + kFramework + "'");
    ComPtr<IXMLDOMNode> option =
        Select(documentTicket.Get(), "//psf:Feature[@name = \"psk:DocumentDuplex\"]/psf:Option");
    ASSERT_TRUE(option);
    EXPECT_EQ(Attribute(option.Get(), "name"), "psk:TwoSidedLongEdge");
    ComPtr<IXMLDOMNode> mode = Select(option.Get(), "psf:ScoredProperty[@name = 'psk:DuplexMode']/psf:Value");
    ASSERT_TRUE(mode);
    EXPECT_EQ(Text(mode.Get()), "_Undefined_");
    EXPECT_FALSE(Select(documentTicket.Get(), "//psf:Feature[@name = \"psk:JobDuplexAllDocumentsContiguously\"]"));
}

TEST_F(Dom, OneLetterAndPrivatePrefixesSelect)
{
    ComPtr<IXMLDOMDocument2> ticket = LoadDocument(kHandTicket);
    // Selection uses its own prefix for the framework; the keyword names are text.
    SetSelectionNamespaces(ticket.Get(), std::string("xmlns:p='") + kFramework + "'");
    ComPtr<IXMLDOMNode> custom = Select(ticket.Get(), "//p:Feature[@name = \"ns0000:PageWatermark\"]/p:Option");
    ASSERT_TRUE(custom);
    EXPECT_EQ(Attribute(custom.Get(), "name"), "ns0000:Custom");

    // An option given as a ScoredProperty OptionName: the union finds the Value.
    std::string feature = "//p:Feature[@name = \"psk:PageMediaSize\"]";
    ComPtr<IXMLDOMNode> value = Select(
        ticket.Get(), feature + "/p:Option | " + feature + "/p:ScoredProperty[@name = \"psk:OptionName\"]/p:Value");
    ASSERT_TRUE(value);
    EXPECT_EQ(Name(value.Get()), "p:Value");
    EXPECT_EQ(Text(value.Get()), "psk:Letter");

    ComPtr<IXMLDOMNodeList> features;
    Bstr all("//p:Feature");
    ASSERT_EQ(ticket->selectNodes(all, features.Out()), S_OK);
    LONG length = 0;
    features->get_length(&length);
    EXPECT_EQ(length, 3);
    ComPtr<IXMLDOMNode> third;
    ASSERT_EQ(features->get_item(2, third.Out()), S_OK);
    EXPECT_EQ(Attribute(third.Get(), "name"), "psk:JobStapleAllDocuments");
    ComPtr<IXMLDOMNode> none;
    EXPECT_EQ(features->get_item(3, none.Out()), S_FALSE);
    EXPECT_EQ(none.Get(), nullptr);

    // Selection relative to a node, and a miss.
    ComPtr<IXMLDOMNode> root = Select(ticket.Get(), "/p:PrintTicket");
    ASSERT_TRUE(root);
    EXPECT_TRUE(Select(root.Get(), "p:Feature[2]/p:Option"));
    ComPtr<IXMLDOMNode> missing;
    Bstr absent("//p:Property");
    EXPECT_EQ(ticket->selectSingleNode(absent, missing.Out()), S_FALSE);
    EXPECT_EQ(missing.Get(), nullptr);
}

TEST_F(Dom, SelectionPropertiesAndExpressionsAreChecked)
{
    ComPtr<IXMLDOMDocument2> ticket = LoadDocument(kHandTicket);
    Bstr namespaces("SelectionNamespaces");
    Bstr language("SelectionLanguage");
    for (const char* malformed : {"xmlns:p='x", "xmlns:='x'", "p='x'", "xmlns:p='a'xmlns:q='b'", "xmlns:p=''",
                                  "xmlns:p=\"x'", "xmlns:xmlns='x'"}) {
        Bstr text(malformed);
        EXPECT_EQ(ticket->setProperty(namespaces, BstrVariant(text)), E_INVALIDARG) << malformed;
    }
    Bstr good(std::string("  xmlns:p='") + kFramework + "'\txmlns:k=\"" + kKeywords + "\" ");
    ASSERT_EQ(ticket->setProperty(namespaces, BstrVariant(good)), S_OK);
    VARIANT stored;
    ASSERT_EQ(ticket->getProperty(namespaces, &stored), S_OK);
    EXPECT_EQ(WideToUtf8(stored.bstrVal, SysStringLen(stored.bstrVal)), good.Utf8());
    VariantClear(&stored);
    Bstr xpath("XPath"), pattern("XSLPattern");
    EXPECT_EQ(ticket->setProperty(language, BstrVariant(xpath)), S_OK);
    EXPECT_EQ(ticket->setProperty(language, BstrVariant(pattern)), E_INVALIDARG);

    ComPtr<IXMLDOMNode> node;
    Bstr invalid("//p:Feature[");
    EXPECT_EQ(ticket->selectSingleNode(invalid, node.Out()), XPATH_E_INVALID);
    Bstr unbound("//q:Feature");
    EXPECT_EQ(ticket->selectSingleNode(unbound, node.Out()), XPATH_E_INVALID);
    Bstr number("count(//p:Feature)");
    EXPECT_EQ(ticket->selectSingleNode(number, node.Out()), XPATH_E_INVALID);
    Bstr other("//p:Feature");
    EXPECT_EQ(ticket->selectSingleNode(other, node.Out()), S_OK);
}

TEST_F(Dom, AttributeMapWalksDeclarationsInDocumentOrder)
{
    std::string markup = std::string("<psf:PrintTicket version=\"1\" xmlns:psf=\"") + kFramework + "\" xmlns:psk=\"" +
                         kKeywords + "\" id=\"7\" xmlns:xsi=\"" + kXsi + "\"/>";
    ComPtr<IXMLDOMDocument2> ticket = LoadDocument(markup);
    ComPtr<IXMLDOMElement> root;
    ASSERT_EQ(ticket->get_documentElement(root.Out()), S_OK);
    ComPtr<IXMLDOMNamedNodeMap> attributes;
    ASSERT_EQ(root->get_attributes(attributes.Out()), S_OK);
    LONG length = 0;
    attributes->get_length(&length);
    EXPECT_EQ(length, 5);

    std::vector<std::string> seen;
    attributes->reset();
    ComPtr<IXMLDOMNode> item;
    while (attributes->nextNode(item.Out()) == S_OK) {
        DOMNodeType type = NODE_INVALID;
        item->get_nodeType(&type);
        EXPECT_EQ(type, NODE_ATTRIBUTE);
        seen.push_back(Name(item.Get()) + "=" + Text(item.Get()));
    }
    std::vector<std::string> expected = {"version=1", std::string("xmlns:psf=") + kFramework,
                                         std::string("xmlns:psk=") + kKeywords, "id=7",
                                         std::string("xmlns:xsi=") + kXsi};
    EXPECT_EQ(seen, expected);

    Bstr psk("xmlns:psk");
    ComPtr<IXMLDOMNode> declaration;
    ASSERT_EQ(attributes->getNamedItem(psk, declaration.Out()), S_OK);
    EXPECT_EQ(Text(declaration.Get()), kKeywords);
    Bstr prefix, base;
    declaration->get_prefix(prefix.Out());
    declaration->get_baseName(base.Out());
    EXPECT_EQ(prefix.Utf8(), "xmlns");
    EXPECT_EQ(base.Utf8(), "psk");
    Bstr absent("xmlns:none");
    EXPECT_EQ(attributes->getNamedItem(absent, declaration.Out()), S_FALSE);
    EXPECT_EQ(Attribute(root.Get(), "xmlns:psf"), kFramework);
    // Saved markup keeps the order.
    EXPECT_EQ(Xml(root.Get()), markup);
}

TEST_F(Dom, CreatedPrintSchemaElementsRoundTrip)
{
    ComPtr<IXMLDOMDocument2> ticket = LoadDocument(kHandTicket);
    SetSelectionNamespaces(ticket.Get(), std::string("xmlns:p='") + kFramework + "'");
    ComPtr<IXMLDOMNode> root = Select(ticket.Get(), "/p:PrintTicket");
    ASSERT_TRUE(root);

    Bstr framework(kFramework), xsi(kXsi), none("");
    auto create = [&](int type, const char* name, BSTR uri) {
        ComPtr<IXMLDOMNode> node;
        Bstr qualified(name);
        EXPECT_EQ(ticket->createNode(IntVariant(type), qualified, uri, node.Out()), S_OK) << name;
        return node;
    };
    auto setAttribute = [&](IXMLDOMNode* element, const char* name, BSTR uri, const char* value) {
        ComPtr<IXMLDOMNode> attributeNode = create(NODE_ATTRIBUTE, name, uri);
        ComPtr<IXMLDOMAttribute> attribute;
        ASSERT_EQ(attributeNode->QueryInterface(IID_IXMLDOMAttribute, attribute.OutVoid()), S_OK);
        Bstr text(value);
        ASSERT_EQ(attribute->put_value(BstrVariant(text)), S_OK);
        ComPtr<IXMLDOMElement> owner;
        ASSERT_EQ(element->QueryInterface(IID_IXMLDOMElement, owner.OutVoid()), S_OK);
        ASSERT_EQ(owner->setAttributeNode(attribute.Get(), nullptr), S_OK);
    };

    // Built detached, in the document's framework prefix "p" but created
    // with "psf": the framework prefix of the created names is psf.
    ComPtr<IXMLDOMNode> parameter = create(NODE_ELEMENT, "p:ParameterInit", framework);
    setAttribute(parameter.Get(), "name", none, "psk:JobCopiesAllDocuments");
    ComPtr<IXMLDOMNode> value = create(NODE_ELEMENT, "p:Value", framework);
    setAttribute(value.Get(), "xsi:type", xsi, "xsd:integer");
    Bstr two("2");
    ASSERT_EQ(value->put_text(two), S_OK);
    // Detached markup shows no declarations either.
    EXPECT_EQ(Xml(value.Get()), "<p:Value xsi:type=\"xsd:integer\">2</p:Value>");
    ASSERT_EQ(parameter->appendChild(value.Get(), nullptr), S_OK);
    ComPtr<IXMLDOMNode> appended;
    ASSERT_EQ(root->appendChild(parameter.Get(), appended.Out()), S_OK);
    // The root declares p and xsi for the same URIs: no new declarations.
    EXPECT_EQ(Xml(appended.Get()),
              "<p:ParameterInit name=\"psk:JobCopiesAllDocuments\"><p:Value "
              "xsi:type=\"xsd:integer\">2</p:Value></p:ParameterInit>");

    // A namespace the root does not declare is declared where it is used.
    Bstr extra("http://tav.example/extra");
    ComPtr<IXMLDOMNode> foreign = create(NODE_ELEMENT, "e:Extra", extra);
    setAttribute(foreign.Get(), "e:flag", extra, "on");
    ASSERT_EQ(root->appendChild(foreign.Get(), nullptr), S_OK);
    EXPECT_EQ(Xml(foreign.Get()), "<e:Extra xmlns:e=\"http://tav.example/extra\" e:flag=\"on\"/>");

    // The saved document parses again and answers the same queries.
    ComPtr<IStream> saved;
    ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, saved.Out()), S_OK);
    ASSERT_EQ(ticket->save(UnknownVariant(saved.Get())), S_OK);
    LARGE_INTEGER zero{};
    saved->Seek(zero, STREAM_SEEK_SET, nullptr);
    ComPtr<IXMLDOMDocument2> reloaded = NewDocument();
    VARIANT_BOOL loaded = VARIANT_FALSE;
    ASSERT_EQ(reloaded->load(UnknownVariant(saved.Get()), &loaded), S_OK);
    ASSERT_EQ(loaded, VARIANT_TRUE);
    SetSelectionNamespaces(reloaded.Get(),
                           std::string("xmlns:f='") + kFramework + "' xmlns:x='http://tav.example/extra'");
    ComPtr<IXMLDOMNode> copies =
        Select(reloaded.Get(), "//f:ParameterInit[@name = 'psk:JobCopiesAllDocuments']/f:Value");
    ASSERT_TRUE(copies);
    EXPECT_EQ(Text(copies.Get()), "2");
    ComPtr<IXMLDOMNode> type = Select(copies.Get(), "@*[local-name() = 'type']");
    ASSERT_TRUE(type);
    Bstr typeUri;
    type->get_namespaceURI(typeUri.Out());
    EXPECT_EQ(typeUri.Utf8(), kXsi);
    ComPtr<IXMLDOMNode> flag = Select(reloaded.Get(), "//x:Extra/@x:flag");
    ASSERT_TRUE(flag);
    EXPECT_EQ(Text(flag.Get()), "on");
}

TEST_F(Dom, DefaultNamespacesAreKeptWellFormed)
{
    const std::string page = "http://schemas.microsoft.com/xps/2005/06";
    ComPtr<IXMLDOMDocument2> document = LoadDocument("<FixedPage xmlns=\"" + page + "\" Width=\"816\"/>");
    ComPtr<IXMLDOMElement> root;
    ASSERT_EQ(document->get_documentElement(root.Out()), S_OK);

    Bstr pageUri(page);
    Bstr canvasName("Canvas");
    ComPtr<IXMLDOMNode> canvas;
    ASSERT_EQ(document->createNode(IntVariant(NODE_ELEMENT), canvasName, pageUri, canvas.Out()), S_OK);
    ASSERT_EQ(root->appendChild(canvas.Get(), nullptr), S_OK);
    // An element created without namespace does not join the default one.
    ComPtr<IXMLDOMElement> plain;
    Bstr pathName("Path");
    ASSERT_EQ(document->createElement(pathName, plain.Out()), S_OK);
    ASSERT_EQ(canvas->appendChild(plain.Get(), nullptr), S_OK);
    EXPECT_EQ(Xml(root.Get()),
              "<FixedPage xmlns=\"" + page + "\" Width=\"816\"><Canvas><Path xmlns=\"\"/></Canvas></FixedPage>");
    Bstr uri;
    plain->get_namespaceURI(uri.Out());
    EXPECT_EQ(uri.Utf8(), "");
}

TEST_F(Dom, RemovedNodesStayUsableAndMoveBack)
{
    ComPtr<IXMLDOMDocument2> ticket = LoadDocument(kHandTicket);
    SetSelectionNamespaces(ticket.Get(), std::string("xmlns:p='") + kFramework + "'");
    ComPtr<IXMLDOMNode> root = Select(ticket.Get(), "/p:PrintTicket");
    ComPtr<IXMLDOMNode> feature = Select(ticket.Get(), "//p:Feature[@name = 'ns0000:PageWatermark']");
    ComPtr<IXMLDOMNode> option = Select(feature.Get(), "p:Option");
    ASSERT_TRUE(root && feature && option);

    ComPtr<IXMLDOMNode> removed;
    ASSERT_EQ(root->removeChild(feature.Get(), removed.Out()), S_OK);
    EXPECT_FALSE(Select(ticket.Get(), "//p:Feature[@name = 'ns0000:PageWatermark']"));
    ComPtr<IXMLDOMNode> parent;
    EXPECT_EQ(removed->get_parentNode(parent.Out()), S_FALSE);
    EXPECT_EQ(parent.Get(), nullptr);
    // Removing a node that is no longer a child fails.
    EXPECT_EQ(root->removeChild(feature.Get(), nullptr), E_INVALIDARG);
    // The removed subtree keeps its names and needs no declarations.
    EXPECT_EQ(Xml(feature.Get()),
              "<p:Feature name=\"ns0000:PageWatermark\"><p:Option name=\"ns0000:Custom\"/></p:Feature>");
    Bstr uri;
    option->get_namespaceURI(uri.Out());
    EXPECT_EQ(uri.Utf8(), kFramework);
    // Release every reference but the option's: the subtree must live on.
    removed.Reset();
    feature.Reset();
    ComPtr<IXMLDOMNode> optionParent;
    ASSERT_EQ(option->get_parentNode(optionParent.Out()), S_OK);
    EXPECT_EQ(Name(optionParent.Get()), "p:Feature");
    // Put it back under the first feature.
    ComPtr<IXMLDOMNode> first = Select(ticket.Get(), "//p:Feature");
    ASSERT_EQ(first->appendChild(optionParent.Get(), nullptr), S_OK);
    EXPECT_TRUE(Select(ticket.Get(), "//p:Feature/p:Feature/p:Option[@name = 'ns0000:Custom']"));
    // A node cannot be moved into its own subtree.
    EXPECT_EQ(option->appendChild(first.Get(), nullptr), E_INVALIDARG);
}

TEST_F(Dom, NodesSurviveTheirDocumentWrapperAndReloads)
{
    ComPtr<IXMLDOMNode> option;
    {
        ComPtr<IXMLDOMDocument2> ticket = LoadDocument(kHandTicket);
        SetSelectionNamespaces(ticket.Get(), std::string("xmlns:p='") + kFramework + "'");
        option = Select(ticket.Get(), "//p:Option");
        Bstr other("<other/>");
        VARIANT_BOOL loaded = VARIANT_FALSE;
        ASSERT_EQ(ticket->loadXML(other, &loaded), S_OK);
        EXPECT_EQ(loaded, VARIANT_TRUE);
    }
    ASSERT_TRUE(option);
    EXPECT_EQ(Attribute(option.Get(), "name"), "ns0000:Custom");
    ComPtr<IXMLDOMDocument> owner;
    ASSERT_EQ(option->get_ownerDocument(owner.Out()), S_OK);
    ComPtr<IXMLDOMElement> root;
    ASSERT_EQ(owner->get_documentElement(root.Out()), S_OK);
    EXPECT_EQ(Name(root.Get()), "other");
}

TEST_F(Dom, ClonesAreIndependent)
{
    ComPtr<IXMLDOMDocument2> ticket = LoadDocument(kHandTicket);
    SetSelectionNamespaces(ticket.Get(), std::string("xmlns:p='") + kFramework + "'");
    ComPtr<IXMLDOMNode> feature = Select(ticket.Get(), "//p:Feature[@name = 'ns0000:PageWatermark']");
    ComPtr<IXMLDOMNode> clone;
    ASSERT_EQ(feature->cloneNode(VARIANT_TRUE, clone.Out()), S_OK);
    ComPtr<IXMLDOMNode> parent;
    EXPECT_EQ(clone->get_parentNode(parent.Out()), S_FALSE);
    ComPtr<IXMLDOMNode> cloneOption = Select(clone.Get(), "p:Option");
    ASSERT_TRUE(cloneOption);
    Bstr name("name"), changed("ns0000:Changed");
    ComPtr<IXMLDOMElement> element;
    cloneOption->QueryInterface(IID_IXMLDOMElement, element.OutVoid());
    ASSERT_EQ(element->setAttribute(name, BstrVariant(changed)), S_OK);
    EXPECT_EQ(Attribute(Select(feature.Get(), "p:Option").Get(), "name"), "ns0000:Custom");
    EXPECT_EQ(Xml(clone.Get()),
              "<p:Feature name=\"ns0000:PageWatermark\"><p:Option name=\"ns0000:Changed\"/></p:Feature>");

    ComPtr<IXMLDOMNode> shallow;
    ASSERT_EQ(feature->cloneNode(VARIANT_FALSE, shallow.Out()), S_OK);
    EXPECT_EQ(Xml(shallow.Get()), "<p:Feature name=\"ns0000:PageWatermark\"/>");

    // A clone placed in another document is imported as a copy; it keeps
    // its prefix, which that document has to declare.
    ComPtr<IXMLDOMDocument2> other = LoadDocument(std::string("<q:Root xmlns:q=\"") + kFramework + "\"/>");
    ComPtr<IXMLDOMElement> otherRoot;
    other->get_documentElement(otherRoot.Out());
    ComPtr<IXMLDOMNode> imported;
    ASSERT_EQ(otherRoot->appendChild(clone.Get(), imported.Out()), S_OK);
    EXPECT_EQ(Xml(otherRoot.Get()),
              std::string("<q:Root xmlns:q=\"") + kFramework + "\"><p:Feature xmlns:p=\"" + kFramework +
                  "\" name=\"ns0000:PageWatermark\"><p:Option name=\"ns0000:Changed\"/></p:Feature></q:Root>");
    EXPECT_EQ(clone->get_parentNode(parent.Out()), S_FALSE);

    // A cloned document has its own tree.
    ComPtr<IXMLDOMNode> documentClone;
    ASSERT_EQ(ticket->cloneNode(VARIANT_TRUE, documentClone.Out()), S_OK);
    ComPtr<IXMLDOMDocument2> copy;
    ASSERT_EQ(documentClone->QueryInterface(IID_IXMLDOMDocument2, copy.OutVoid()), S_OK);
    ComPtr<IXMLDOMNode> copyFeature = Select(copy.Get(), "//p:Feature[@name = 'ns0000:PageWatermark']");
    ASSERT_TRUE(copyFeature);
    ComPtr<IXMLDOMNode> copyRoot = Select(copy.Get(), "/p:PrintTicket");
    ASSERT_EQ(copyRoot->removeChild(copyFeature.Get(), nullptr), S_OK);
    EXPECT_TRUE(Select(ticket.Get(), "//p:Feature[@name = 'ns0000:PageWatermark']"));
}

TEST_F(Dom, CopyThroughThePersistenceStreamIsIndependent)
{
    ComPtr<IXMLDOMDocument2> source = LoadDocument(kHandTicket);
    ComPtr<IStream> stream;
    ASSERT_EQ(source->QueryInterface(IID_IStream, stream.OutVoid()), S_OK);
    ComPtr<IXMLDOMDocument2> copy = NewDocument();
    VARIANT_BOOL loaded = VARIANT_FALSE;
    ASSERT_EQ(copy->load(UnknownVariant(stream.Get()), &loaded), S_OK);
    ASSERT_EQ(loaded, VARIANT_TRUE);
    EXPECT_EQ(Xml(copy.Get()), Xml(source.Get()));

    ComPtr<IXMLDOMElement> copyRoot;
    copy->get_documentElement(copyRoot.Out());
    Bstr version("version"), two("2");
    copyRoot->setAttribute(version, BstrVariant(two));
    ComPtr<IXMLDOMElement> sourceRoot;
    source->get_documentElement(sourceRoot.Out());
    EXPECT_EQ(Attribute(sourceRoot.Get(), "version"), "1");
    EXPECT_EQ(Attribute(copyRoot.Get(), "version"), "2");

    // Reads give what save writes.
    ComPtr<IStream> again;
    ASSERT_EQ(source->QueryInterface(IID_IStream, again.OutVoid()), S_OK);
    std::string read(1 << 16, '\0');
    ULONG got = 0;
    ASSERT_EQ(again->Read(read.data(), static_cast<ULONG>(read.size()), &got), S_OK);
    read.resize(got);
    EXPECT_EQ(read, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n" + Xml(sourceRoot.Get()) + "\n");
    STATSTG stat;
    ASSERT_EQ(again->Stat(&stat, STATFLAG_NONAME), S_OK);
    EXPECT_EQ(stat.cbSize.QuadPart, got);
}

TEST_F(Dom, MarkupWrittenIntoThePersistenceStreamBecomesTheDocument)
{
    ComPtr<IXMLDOMDocument2> document = LoadDocument("<old/>");
    const std::string fresh = std::string("<psf:PrintCapabilities xmlns:psf=\"") + kFramework + "\" version=\"1\"/>";
    {
        ComPtr<IStream> stream;
        ASSERT_EQ(document->QueryInterface(IID_IStream, stream.OutVoid()), S_OK);
        // Written in pieces, as a provider writes.
        ULONG written = 0;
        ASSERT_EQ(stream->Write(fresh.data(), 10, &written), S_OK);
        ASSERT_EQ(stream->Write(fresh.data() + 10, static_cast<ULONG>(fresh.size() - 10), &written), S_OK);
        LARGE_INTEGER zero{};
        ASSERT_EQ(stream->Seek(zero, STREAM_SEEK_SET, nullptr), S_OK);
    }
    ComPtr<IXMLDOMElement> root;
    ASSERT_EQ(document->get_documentElement(root.Out()), S_OK);
    EXPECT_EQ(Xml(root.Get()), fresh);

    // Without a seek the next DOM call loads it; malformed markup empties
    // the document and the seek reports it.
    {
        ComPtr<IStream> stream;
        document->QueryInterface(IID_IStream, stream.OutVoid());
        stream->Write("<next/>", 7, nullptr);
        EXPECT_EQ(Xml(document.Get()), "<next/>\n");
        stream->Write("<broken>", 8, nullptr);
        LARGE_INTEGER zero{};
        EXPECT_EQ(stream->Seek(zero, STREAM_SEEK_SET, nullptr), XML_E_PARSE_FAILED);
        EXPECT_EQ(document->get_documentElement(root.Out()), S_FALSE);
        // Released with writes pending: loaded on release.
        stream->Write("<last/>", 7, nullptr);
    }
    ASSERT_EQ(document->get_documentElement(root.Out()), S_OK);
    EXPECT_EQ(Name(root.Get()), "last");
}

TEST_F(Dom, EscapingRoundTrips)
{
    ComPtr<IXMLDOMDocument2> document = LoadDocument("<r/>");
    ComPtr<IXMLDOMElement> root;
    document->get_documentElement(root.Out());
    const std::string value = "a&b<c>\"d'e\tf\ng\rh&amp;";
    const std::string text = "x&y<z>]]>\r\n&lt;";
    Bstr name("v"), valueText(value), content(text);
    ASSERT_EQ(root->setAttribute(name, BstrVariant(valueText)), S_OK);
    ComPtr<IXMLDOMText> textNode;
    ASSERT_EQ(document->createTextNode(content, textNode.Out()), S_OK);
    ASSERT_EQ(root->appendChild(textNode.Get(), nullptr), S_OK);
    EXPECT_EQ(Xml(root.Get()),
              "<r v=\"a&amp;b&lt;c>&quot;d'e&#9;f&#10;g&#13;h&amp;amp;\">x&amp;y&lt;z&gt;]]&gt;&#13;\n&amp;lt;</r>");

    ComPtr<IXMLDOMDocument2> reloaded = NewDocument();
    Bstr markup(Xml(document.Get()));
    VARIANT_BOOL loaded = VARIANT_FALSE;
    ASSERT_EQ(reloaded->loadXML(markup, &loaded), S_OK);
    ASSERT_EQ(loaded, VARIANT_TRUE);
    ComPtr<IXMLDOMElement> again;
    reloaded->get_documentElement(again.Out());
    EXPECT_EQ(Attribute(again.Get(), "v"), value);
    EXPECT_EQ(Text(again.Get()), text);

    // References in loaded markup come back unescaped.
    ComPtr<IXMLDOMDocument2> parsed =
        LoadDocument("<r a=\"&amp;&lt;&quot;&apos;&#xa9;&#38;\">&amp;&lt;&#38;<![CDATA[<&>]]></r>");
    ComPtr<IXMLDOMElement> parsedRoot;
    parsed->get_documentElement(parsedRoot.Out());
    EXPECT_EQ(Attribute(parsedRoot.Get(), "a"), "&<\"'\xC2\xA9&");
    EXPECT_EQ(Text(parsedRoot.Get()), "&<&<&>");
}

TEST_F(Dom, WhitespaceBetweenMarkupIsDropped)
{
    ComPtr<IXMLDOMDocument2> document =
        LoadDocument("<r>\n  <a> x </a>\n  <b xml:space=\"preserve\">  <c/>  </b>\n</r>");
    ComPtr<IXMLDOMElement> root;
    document->get_documentElement(root.Out());
    ComPtr<IXMLDOMNode> first;
    ASSERT_EQ(root->get_firstChild(first.Out()), S_OK);
    EXPECT_EQ(Name(first.Get()), "a");
    EXPECT_EQ(Text(first.Get()), " x ");
    EXPECT_EQ(Xml(root.Get()), "<r><a> x </a><b xml:space=\"preserve\">  <c/>  </b></r>");
}

TEST_F(Dom, ElementAttributesAreReplacedAndRemoved)
{
    ComPtr<IXMLDOMDocument2> document = LoadDocument("<r xmlns:x=\"urn:x\" a=\"1\" x:b=\"2\" c=\"3\"/>");
    ComPtr<IXMLDOMElement> root;
    document->get_documentElement(root.Out());
    Bstr b("x:b"), a("a");
    ComPtr<IXMLDOMAttribute> kept;
    ASSERT_EQ(root->getAttributeNode(b, kept.Out()), S_OK);

    // A new x:b (same namespace, other prefix) replaces the old one in place.
    Bstr qualified("y:b"), uri("urn:x"), value("new");
    ComPtr<IXMLDOMNode> created;
    ASSERT_EQ(document->createNode(IntVariant(NODE_ATTRIBUTE), qualified, uri, created.Out()), S_OK);
    ComPtr<IXMLDOMAttribute> replacement;
    created->QueryInterface(IID_IXMLDOMAttribute, replacement.OutVoid());
    replacement->put_value(BstrVariant(value));
    ComPtr<IXMLDOMAttribute> replaced;
    ASSERT_EQ(root->setAttributeNode(replacement.Get(), replaced.Out()), S_OK);
    ASSERT_TRUE(replaced);
    EXPECT_EQ(Text(replaced.Get()), "2");
    EXPECT_EQ(Xml(root.Get()), "<r xmlns:x=\"urn:x\" a=\"1\" x:b=\"new\" c=\"3\"/>");
    // The old attribute object still reads its value after replacement.
    EXPECT_EQ(Text(kept.Get()), "2");

    ASSERT_EQ(root->removeAttribute(a), S_OK);
    EXPECT_EQ(root->removeAttribute(a), S_FALSE);
    VARIANT missing;
    EXPECT_EQ(root->getAttribute(a, &missing), S_FALSE);
    EXPECT_EQ(missing.vt, VT_NULL);
    EXPECT_EQ(Xml(root.Get()), "<r xmlns:x=\"urn:x\" x:b=\"new\" c=\"3\"/>");

    // An attribute in use by another element is refused.
    ComPtr<IXMLDOMElement> other;
    Bstr otherName("o");
    document->createElement(otherName, other.Out());
    EXPECT_EQ(other->setAttributeNode(replacement.Get(), nullptr), E_INVALIDARG);
    // Prefixed names need a bound prefix.
    Bstr unbound("z:q"), one("1");
    EXPECT_EQ(root->setAttribute(unbound, BstrVariant(one)), E_INVALIDARG);
}

TEST_F(Dom, FailedLoadsLeaveAnEmptyDocument)
{
    ComPtr<IXMLDOMDocument2> document = LoadDocument("<r/>");
    for (const char* bad : {"<r>", "<r></s>", "", "<a/><b/>", "<p:x/>", "<r a='1' a='2'/>"}) {
        Bstr markup(bad);
        VARIANT_BOOL loaded = VARIANT_TRUE;
        EXPECT_EQ(document->loadXML(markup, &loaded), S_FALSE) << bad;
        EXPECT_EQ(loaded, VARIANT_FALSE) << bad;
        ComPtr<IXMLDOMElement> root;
        EXPECT_EQ(document->get_documentElement(root.Out()), S_FALSE) << bad;
    }
    ComPtr<IXMLDOMNode> node;
    EXPECT_EQ(document->createNode(IntVariant(NODE_ELEMENT), Bstr("x:y"), nullptr, node.Out()), E_INVALIDARG);
    EXPECT_EQ(document->createNode(IntVariant(NODE_ELEMENT), Bstr("a b"), nullptr, node.Out()), E_INVALIDARG);
}

TEST_F(Dom, ParseErrorSaysWhatAndWhereTheLastLoadFailed)
{
    auto expectError = [](IXMLDOMDocument2* document, LONG code, const char16_t* reason, LONG line) {
        ComPtr<IXMLDOMParseError> error;
        ASSERT_EQ(document->get_parseError(error.Out()), S_OK);
        LONG actualCode = -1, actualLine = -1;
        BSTR actualReason = nullptr;
        EXPECT_EQ(error->get_errorCode(&actualCode), S_OK);
        EXPECT_EQ(error->get_line(&actualLine), S_OK);
        EXPECT_EQ(error->get_reason(&actualReason), S_OK);
        EXPECT_EQ(actualCode, code);
        EXPECT_EQ(actualLine, line);
        EXPECT_EQ(std::u16string(actualReason), reason);
        SysFreeString(actualReason);
    };
    ComPtr<IXMLDOMDocument2> document = LoadDocument("<r/>");
    expectError(document.Get(), 0, u"", 0);
    VARIANT_BOOL loaded = VARIANT_TRUE;
    // The end tag on the third line does not match.
    EXPECT_EQ(document->loadXML(Bstr("<r>\n<a>\n</b></r>"), &loaded), S_FALSE);
    expectError(document.Get(), XML_E_PARSE_FAILED, u"not well-formed XML", 3);
    EXPECT_EQ(document->loadXML(Bstr("<!DOCTYPE r>\n<r/>"), &loaded), S_FALSE);
    expectError(document.Get(), XML_E_DTD_PROHIBITED, u"XML with a DTD (DOCTYPE), which is not allowed", 1);
    EXPECT_EQ(document->loadXML(Bstr("<r/>"), &loaded), S_OK);
    expectError(document.Get(), 0, u"", 0);
}

}  // namespace

namespace {

using namespace xmltest;

class DomNavigation : public ComTest {};

TEST_F(DomNavigation, ChildrenSiblingsAndInsertion)
{
    ComPtr<IXMLDOMDocument2> document = LoadDocument("<?pi data?><r><a/>text<!--c--><b/></r>");
    ComPtr<IXMLDOMElement> root;
    document->get_documentElement(root.Out());
    ComPtr<IXMLDOMNodeList> children;
    ASSERT_EQ(root->get_childNodes(children.Out()), S_OK);
    std::vector<std::string> names;
    ComPtr<IXMLDOMNode> child;
    while (children->nextNode(child.Out()) == S_OK) names.push_back(Name(child.Get()));
    EXPECT_EQ(names, (std::vector<std::string>{"a", "#text", "#comment", "b"}));

    ComPtr<IXMLDOMNode> a, text, comment;
    root->get_firstChild(a.Out());
    ASSERT_EQ(a->get_nextSibling(text.Out()), S_OK);
    DOMNodeType type = NODE_INVALID;
    text->get_nodeType(&type);
    EXPECT_EQ(type, NODE_TEXT);
    VARIANT value;
    ASSERT_EQ(text->get_nodeValue(&value), S_OK);
    EXPECT_EQ(WideToUtf8(value.bstrVal, SysStringLen(value.bstrVal)), "text");
    VariantClear(&value);
    ASSERT_EQ(root->get_nodeValue(&value), S_OK);
    EXPECT_EQ(value.vt, VT_NULL);
    Bstr changed("changed");
    ASSERT_EQ(text->put_nodeValue(BstrVariant(changed)), S_OK);

    // Insert before the comment; moving b before a.
    ComPtr<IXMLDOMElement> inserted;
    Bstr name("i");
    document->createElement(name, inserted.Out());
    text->get_nextSibling(comment.Out());
    VARIANT reference = UnknownVariant(comment.Get());
    ASSERT_EQ(root->insertBefore(inserted.Get(), reference, nullptr), S_OK);
    ComPtr<IXMLDOMNode> b = Select(document.Get(), "/r/b");
    ASSERT_EQ(root->insertBefore(b.Get(), UnknownVariant(a.Get()), nullptr), S_OK);
    EXPECT_EQ(Xml(root.Get()), "<r><b/><a/>changed<i/><!--c--></r>");
    // A reference that is not a child is refused.
    ComPtr<IXMLDOMElement> stray;
    document->createElement(name, stray.Out());
    EXPECT_EQ(root->insertBefore(inserted.Get(), UnknownVariant(stray.Get()), nullptr), E_INVALIDARG);
    // The earlier snapshot of the children is unchanged.
    LONG length = 0;
    children->get_length(&length);
    EXPECT_EQ(length, 4);

    // A document holds one element only.
    EXPECT_EQ(document->appendChild(stray.Get(), nullptr), E_FAIL);
    VARIANT_BOOL has = VARIANT_FALSE;
    EXPECT_EQ(a->hasChildNodes(&has), S_FALSE);
    EXPECT_EQ(root->hasChildNodes(&has), S_OK);
    EXPECT_EQ(has, VARIANT_TRUE);

    // Text nodes come back from XPath as text nodes.
    ComPtr<IXMLDOMNode> selectedText = Select(document.Get(), "/r/text()");
    ASSERT_TRUE(selectedText);
    ComPtr<IXMLDOMText> asText;
    EXPECT_EQ(selectedText->QueryInterface(IID_IXMLDOMText, asText.OutVoid()), S_OK);
    ComPtr<IXMLDOMElement> notElement;
    EXPECT_EQ(selectedText->QueryInterface(IID_IXMLDOMElement, notElement.OutVoid()), E_NOINTERFACE);
}

TEST_F(DomNavigation, RemovingWhileWalkingASelection)
{
    // The pattern of removing every parameter initialiser a feature refers to.
    std::string markup = std::string("<p:T xmlns:p=\"") + kFramework + "\">";
    for (int i = 0; i < 6; ++i)
        markup += "<p:ParameterInit name=\"n" + std::to_string(i) + "\"><p:Value>" + std::to_string(i) +
                  "</p:Value></p:ParameterInit>";
    markup += "</p:T>";
    ComPtr<IXMLDOMDocument2> document = LoadDocument(markup);
    SetSelectionNamespaces(document.Get(), std::string("xmlns:p='") + kFramework + "'");
    ComPtr<IXMLDOMNodeList> list;
    Bstr all("//p:ParameterInit");
    ASSERT_EQ(document->selectNodes(all, list.Out()), S_OK);
    ComPtr<IXMLDOMNode> item;
    while (list->nextNode(item.Out()) == S_OK) {
        if (Attribute(item.Get(), "name") == "n3") continue;
        ComPtr<IXMLDOMNode> parent;
        item->get_parentNode(parent.Out());
        ASSERT_EQ(parent->removeChild(item.Get(), nullptr), S_OK);
    }
    item.Reset();
    // Removed nodes in the list are still readable.
    ComPtr<IXMLDOMNode> first;
    ASSERT_EQ(list->get_item(0, first.Out()), S_OK);
    EXPECT_EQ(Text(first.Get()), "0");
    EXPECT_EQ(Xml(document.Get()),
              std::string("<p:T xmlns:p=\"") + kFramework +
                  "\"><p:ParameterInit name=\"n3\"><p:Value>3</p:Value></p:ParameterInit></p:T>\n");
}

TEST_F(DomNavigation, FilesAndUtf16Streams)
{
    ComPtr<IXMLDOMDocument2> document = LoadDocument("<r a=\"\xC3\xA9\">\xE2\x82\xAC</r>");
    const std::string path = ::testing::TempDir() + "tav_dom_save.xml";
    Bstr file(path);
    ASSERT_EQ(document->save(BstrVariant(file)), S_OK);
    ComPtr<IXMLDOMDocument2> fromFile = NewDocument();
    VARIANT_BOOL loaded = VARIANT_FALSE;
    ASSERT_EQ(fromFile->load(BstrVariant(file), &loaded), S_OK);
    EXPECT_EQ(loaded, VARIANT_TRUE);
    EXPECT_EQ(Xml(fromFile.Get()), "<r a=\"\xC3\xA9\">\xE2\x82\xAC</r>\n");
    std::remove(path.c_str());
    EXPECT_EQ(fromFile->load(BstrVariant(file), &loaded), S_FALSE);
    EXPECT_EQ(loaded, VARIANT_FALSE);

    std::string utf16 = "\xFE\xFF";  // big-endian this time
    for (char16_t c : Utf8ToWide("<?xml version=\"1.0\" encoding=\"UTF-16\"?><r a=\"\xC3\xA9\">\xE2\x82\xAC</r>")) {
        utf16.push_back(static_cast<char>(c >> 8));
        utf16.push_back(static_cast<char>(c & 0xFF));
    }
    auto stream = ComPtr<ChunkedStream>::Adopt(new ChunkedStream(utf16, 3));
    ComPtr<IXMLDOMDocument2> fromUtf16 = NewDocument();
    ASSERT_EQ(fromUtf16->load(UnknownVariant(stream.Get()), &loaded), S_OK);
    ASSERT_EQ(loaded, VARIANT_TRUE);
    EXPECT_EQ(Xml(fromUtf16.Get()), "<r a=\"\xC3\xA9\">\xE2\x82\xAC</r>\n");
}

// A write-only stream that takes at most blockSize bytes per write and
// reports written as it is told to.
class TakingStream final : public ComObject<ISequentialStream> {
public:
    enum class Report { Truly, Nothing, TooMuch };
    TakingStream(ULONG blockSize, Report report) : blockSize_(blockSize), report_(report) {}
    HRESULT Read(void*, ULONG, ULONG*) override { return STG_E_ACCESSDENIED; }
    HRESULT Write(const void* bytes, ULONG count, ULONG* written) override
    {
        ULONG take = std::min(count, blockSize_);
        taken_.append(static_cast<const char*>(bytes), take);
        *written = report_ == Report::Truly ? take : report_ == Report::Nothing ? 0 : count + 1;
        return S_OK;
    }
    const std::string& Taken() const { return taken_; }

private:
    void* InterfaceFor(REFIID riid) override
    {
        return riid == IID_ISequentialStream ? static_cast<ISequentialStream*>(this) : nullptr;
    }
    ULONG blockSize_;
    Report report_;
    std::string taken_;
};

TEST_F(DomNavigation, SavingToAStreamWritesAllItTakesAndReportsOneThatTakesNothing)
{
    ComPtr<IXMLDOMDocument2> document = LoadDocument("<r><a>text</a></r>");
    auto slow = ComPtr<TakingStream>::Adopt(new TakingStream(4, TakingStream::Report::Truly));
    ASSERT_EQ(document->save(UnknownVariant(slow.Get())), S_OK);
    EXPECT_EQ(slow->Taken(), "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<r><a>text</a></r>\n");

    auto stuck = ComPtr<TakingStream>::Adopt(new TakingStream(4, TakingStream::Report::Nothing));
    EXPECT_EQ(document->save(UnknownVariant(stuck.Get())), STG_E_WRITEFAULT);
    auto boasting = ComPtr<TakingStream>::Adopt(new TakingStream(4, TakingStream::Report::TooMuch));
    EXPECT_EQ(document->save(UnknownVariant(boasting.Get())), STG_E_WRITEFAULT);
}

}  // namespace

namespace {

// Callers may hand plain literals for arguments the DOM only reads; their
// length comes from the terminator, not from a BSTR prefix they lack.
TEST_F(Dom, ReadOnlyArgumentsMayBePlainLiterals)
{
    ComPtr<IXMLDOMDocument2> ticket = xmltest::LoadDocument(kHandTicket);
    VARIANT namespaces;
    VariantInit(&namespaces);
    namespaces.vt = VT_BSTR;
    namespaces.bstrVal =
        SysAllocString(u"xmlns:p='http://schemas.microsoft.com/windows/2003/08/printing/printschemaframework'");
    ASSERT_EQ(ticket->setProperty(const_cast<BSTR>(u"SelectionNamespaces"), namespaces), S_OK);
    VariantClear(&namespaces);
    ComPtr<IXMLDOMNode> option;
    ASSERT_EQ(ticket->selectSingleNode(const_cast<BSTR>(u"//p:Feature[@name = \"psk:JobStapleAllDocuments\"]/p:Option"),
                                       option.Out()),
              S_OK);
    EXPECT_EQ(xmltest::Attribute(option.Get(), "name"), "psk:None");
}

}  // namespace
