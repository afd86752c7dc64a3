#include "app/DataDictionary.h"

#include "app/FileDeclarations.h"
#include "app/InvDetFileAccess.h"
#include "framework/data/FileAccess.h"
#include "framework/data/RelationLink.h"
#include "runtime/files/PerThreadRecordFile.h"
#include "runtime/files/RecordFile.h"
#include "runtime/files/RecordFileDriver.h"

#include <memory>
#include <string>
#include <string_view>

namespace app {

host::Record ItemRecord{files::item().layout()};
host::Record ConfigRecord{files::config().layout()};
host::Record CustomerRecord{files::customer().layout()};
host::Record InvDetRecord{files::invDet().layout()};
host::Record InvHdrRecord{files::invHdr().layout()};

host::RecordFile* ItemFile = nullptr;
host::RecordFile* ConfigFile = nullptr;
host::RecordFile* CustomerFile = nullptr;
host::RecordFile* InvDetFile = nullptr;
host::RecordFile* InvHdrFile = nullptr;

framework::FileAccess* ItemAccess = nullptr;
framework::FileAccess* ConfigAccess = nullptr;
framework::FileAccess* CustomerAccess = nullptr;
framework::FileAccess* InvDetAccess = nullptr;
framework::FileAccess* InvHdrAccess = nullptr;
framework::RelationLink* ItemLink = nullptr;
framework::RelationLink* ConfigLink = nullptr;
framework::RelationLink* CustomerLink = nullptr;
framework::RelationLink* InvDetLink = nullptr;
framework::RelationLink* InvHdrLink = nullptr;

std::uint8_t ShowRowValidation = 0;

namespace {

using framework::ActionCascade;
using framework::ActionNone;

// Auto-numbering of DeclareKey: 1 the whole key, 2 component 2 within the first.
constexpr std::uint8_t wholeKey = 1;
constexpr std::uint8_t secondComponent = 2;
constexpr std::uint8_t notNumbered = 0;

struct KeyDeclaration {
    std::string_view label;
    std::string_view description;
    std::uint8_t autoNumber;
};

// What the set-up steps make, owned here until release.
// The host files come first, so that they go last.
struct Objects {
    host::RecordFileDriver* driver = nullptr;
    std::unique_ptr<host::RecordFile> item, config, customer, invDet, invHdr;
    framework::FileAccess itemAccess, configAccess, customerAccess, invHdrAccess;
    InvDetFileAccess invDetAccess;
    framework::RelationLink itemLink, configLink, customerLink, invDetLink, invHdrLink;
    bool filesSetUp = false;
};

std::unique_ptr<Objects> objects;
DataDictionary::Observer observer;

void note(std::string_view file, std::string_view step) {
    if (observer)
        observer(std::string(file) + " " + std::string(step));
}

void setUpFile(framework::FileAccess& access, host::RecordFile& file, host::Record& buffer,
               framework::ErrorReporter& errors, framework::FileRegistry& registry,
               std::string_view displayName, std::initializer_list<KeyDeclaration> keys) {
    access.Setup(file, *objects->driver, errors, registry);
    access.FILENAMEVALUE = std::string(displayName);
    access.BUFFER = &buffer;
    access.CREATE = true;
    access.LOCKRECOVER = 10;
    for (const KeyDeclaration& key : keys)
        access.DeclareKey(key.label, key.description, key.autoNumber);
}

} // namespace

void DataDictionary::bindClasses() {
    if (objects)
        release();
    objects = std::make_unique<Objects>();
}

void DataDictionary::bindFiles(host::RecordFileDriver& driver) {
    if (!objects)
        bindClasses();
    Objects& o = *objects;
    for (host::Record* buffer :
         {&ItemRecord, &ConfigRecord, &CustomerRecord, &InvDetRecord, &InvHdrRecord})
        buffer->clear();
    o.driver = &driver;
    // The files are per-thread: each logical thread gets its own record values, position,
    // hold and placeholder (a file of the driver per thread behind one host file).
    o.item = host::makeRecordFile(driver, files::item(), ItemRecord);
    o.config = host::makeRecordFile(driver, files::config(), ConfigRecord);
    o.customer = host::makeRecordFile(driver, files::customer(), CustomerRecord);
    o.invDet = host::makeRecordFile(driver, files::invDet(), InvDetRecord);
    o.invHdr = host::makeRecordFile(driver, files::invHdr(), InvHdrRecord);
    ItemFile = o.item.get();
    ConfigFile = o.config.get();
    CustomerFile = o.customer.get();
    InvDetFile = o.invDet.get();
    InvHdrFile = o.invHdr.get();
}

void DataDictionary::setUpFiles(framework::ErrorReporter& errors,
                                framework::FileRegistry& registry) {
    if (!objects || !objects->driver || objects->filesSetUp)
        return;
    Objects& o = *objects;
    o.filesSetUp = true;

    ItemLink = &o.itemLink;
    ConfigLink = &o.configLink;
    CustomerLink = &o.customerLink;
    InvDetLink = &o.invDetLink;
    InvHdrLink = &o.invHdrLink;

    setUpFile(o.itemAccess, *ItemFile, ItemRecord, errors, registry, "Item",
              {{"ITM:ITEMIDK", "Item Id Key", wholeKey},
               {"ITM:ITEMNUMBERK", "Item Number Key", notNumbered}});
    ItemAccess = &o.itemAccess;
    o.itemLink.Setup(o.itemAccess, true);
    note("Item", "set up");

    setUpFile(o.configAccess, *ConfigFile, ConfigRecord, errors, registry, "Config", {});
    ConfigAccess = &o.configAccess;
    o.configLink.Setup(o.configAccess, true);
    note("Config", "set up");

    setUpFile(o.customerAccess, *CustomerFile, CustomerRecord, errors, registry, "Customer",
              {{"CUS:CUSTOMERIDK", "Customer Id Key", wholeKey},
               {"CUS:NAMEK", "Customer Name Key", notNumbered},
               {"CUS:NUMBERK", "Customer Number Key", notNumbered}});
    CustomerAccess = &o.customerAccess;
    o.customerLink.Setup(o.customerAccess, true);
    o.customerLink.DeclareRelation(o.invHdrLink);
    note("Customer", "set up");

    setUpFile(o.invDetAccess, *InvDetFile, InvDetRecord, errors, registry, "InvDet",
              {{"IND:INVDETIDK", "Invoice Detail Id Key", wholeKey},
               {"IND:INVHDRK", "Invoice Header Key", secondComponent}});
    InvDetAccess = &o.invDetAccess;
    o.invDetLink.Setup(o.invDetAccess, true);
    o.invDetLink.DeclareRelation(o.invHdrLink);
    note("InvDet", "set up");

    setUpFile(o.invHdrAccess, *InvHdrFile, InvHdrRecord, errors, registry, "InvHdr",
              {{"INH:INVOICENUMBERK", "Invoice Number Key", wholeKey},
               {"INH:INVHDRIDK", "Invoice Header Id Key", wholeKey}});
    InvHdrAccess = &o.invHdrAccess;
    o.invHdrLink.Setup(o.invHdrAccess, true);
    o.invHdrLink.DeclareRelation(o.customerLink, ActionNone, ActionNone, "CUS:NUMBERK");
    o.invHdrLink.AddLinkFields(InvHdrRecord.field("INH:CUSTOMERNUMBER"),
                               CustomerRecord.field("CUS:NUMBER"));
    o.invHdrLink.DeclareRelation(o.invDetLink, ActionCascade, ActionCascade, "IND:INVHDRK");
    o.invHdrLink.AddLinkFields(InvHdrRecord.field("INH:INVHDRID"),
                               InvDetRecord.field("IND:INVHDRID"));
    note("InvHdr", "set up");
}

void DataDictionary::shutDownFiles() {
    if (!objects || !objects->filesSetUp)
        return;
    objects->filesSetUp = false;
    // The same order as set-up. Each link's tear-down takes its file's access with it.
    struct File {
        std::string_view name;
        framework::RelationLink** link;
        framework::FileAccess** access;
    };
    const File order[] = {{"Item", &ItemLink, &ItemAccess},
                          {"Config", &ConfigLink, &ConfigAccess},
                          {"Customer", &CustomerLink, &CustomerAccess},
                          {"InvDet", &InvDetLink, &InvDetAccess},
                          {"InvHdr", &InvHdrLink, &InvHdrAccess}};
    for (const File& file : order) {
        if (*file.link)
            (*file.link)->Teardown();
        *file.link = nullptr;
        *file.access = nullptr;
        note(file.name, "torn down");
    }
}

void DataDictionary::release() {
    if (!objects)
        return;
    shutDownFiles();
    ItemFile = ConfigFile = CustomerFile = InvDetFile = InvHdrFile = nullptr;
    objects.reset();
}

void DataDictionary::setUp(host::RecordFileDriver& driver, framework::ErrorReporter& errors,
                           framework::FileRegistry& registry) {
    bindClasses();
    bindFiles(driver);
    setUpFiles(errors, registry);
}

void DataDictionary::tearDown() {
    shutDownFiles();
    release();
}

bool DataDictionary::isSetUp() {
    return objects != nullptr && objects->filesSetUp;
}

void DataDictionary::setObserver(Observer newObserver) {
    observer = std::move(newObserver);
}

} // namespace app
