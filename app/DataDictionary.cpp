#include "app/DataDictionary.h"

#include "app/FileDeclarations.h"
#include "app/InvDetFileAccess.h"
#include "framework/data/FileAccess.h"
#include "framework/data/RelationLink.h"
#include "runtime/RecordFile.h"
#include "runtime/RecordFileDriver.h"

#include <memory>
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

// What set-up makes, owned here until tear-down.
struct Objects {
    std::unique_ptr<host::RecordFile> item, config, customer, invDet, invHdr;
    framework::FileAccess itemAccess, configAccess, customerAccess, invHdrAccess;
    InvDetFileAccess invDetAccess;
    framework::RelationLink itemLink, configLink, customerLink, invDetLink, invHdrLink;
};

std::unique_ptr<Objects> objects;

void setUpFile(framework::FileAccess& access, host::RecordFile& file, host::Record& buffer,
               host::RecordFileDriver& driver, framework::ErrorReporter& errors,
               framework::FileRegistry& registry, std::string_view displayName,
               std::initializer_list<KeyDeclaration> keys) {
    access.Setup(file, driver, errors, registry);
    access.FILENAMEVALUE = std::string(displayName);
    access.BUFFER = &buffer;
    access.CREATE = true;
    access.LOCKRECOVER = 10;
    for (const KeyDeclaration& key : keys)
        access.DeclareKey(key.label, key.description, key.autoNumber);
}

} // namespace

void DataDictionary::setUp(host::RecordFileDriver& driver, framework::ErrorReporter& errors,
                           framework::FileRegistry& registry) {
    if (objects)
        tearDown();
    objects = std::make_unique<Objects>();
    Objects& o = *objects;
    for (host::Record* buffer :
         {&ItemRecord, &ConfigRecord, &CustomerRecord, &InvDetRecord, &InvHdrRecord})
        buffer->clear();
    o.item = driver.makeFile(files::item(), ItemRecord);
    o.config = driver.makeFile(files::config(), ConfigRecord);
    o.customer = driver.makeFile(files::customer(), CustomerRecord);
    o.invDet = driver.makeFile(files::invDet(), InvDetRecord);
    o.invHdr = driver.makeFile(files::invHdr(), InvHdrRecord);
    ItemFile = o.item.get();
    ConfigFile = o.config.get();
    CustomerFile = o.customer.get();
    InvDetFile = o.invDet.get();
    InvHdrFile = o.invHdr.get();

    ItemLink = &o.itemLink;
    ConfigLink = &o.configLink;
    CustomerLink = &o.customerLink;
    InvDetLink = &o.invDetLink;
    InvHdrLink = &o.invHdrLink;

    setUpFile(o.itemAccess, *ItemFile, ItemRecord, driver, errors, registry, "Item",
              {{"ITM:ITEMIDK", "Item Id Key", wholeKey},
               {"ITM:ITEMNUMBERK", "Item Number Key", notNumbered}});
    ItemAccess = &o.itemAccess;
    o.itemLink.Setup(o.itemAccess, true);

    setUpFile(o.configAccess, *ConfigFile, ConfigRecord, driver, errors, registry, "Config", {});
    ConfigAccess = &o.configAccess;
    o.configLink.Setup(o.configAccess, true);

    setUpFile(o.customerAccess, *CustomerFile, CustomerRecord, driver, errors, registry, "Customer",
              {{"CUS:CUSTOMERIDK", "Customer Id Key", wholeKey},
               {"CUS:NAMEK", "Customer Name Key", notNumbered},
               {"CUS:NUMBERK", "Customer Number Key", notNumbered}});
    CustomerAccess = &o.customerAccess;
    o.customerLink.Setup(o.customerAccess, true);
    o.customerLink.DeclareRelation(o.invHdrLink);

    setUpFile(o.invDetAccess, *InvDetFile, InvDetRecord, driver, errors, registry, "InvDet",
              {{"IND:INVDETIDK", "Invoice Detail Id Key", wholeKey},
               {"IND:INVHDRK", "Invoice Header Key", secondComponent}});
    InvDetAccess = &o.invDetAccess;
    o.invDetLink.Setup(o.invDetAccess, true);
    o.invDetLink.DeclareRelation(o.invHdrLink);

    setUpFile(o.invHdrAccess, *InvHdrFile, InvHdrRecord, driver, errors, registry, "InvHdr",
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
}

void DataDictionary::tearDown() {
    if (!objects)
        return;
    // The same order as set-up. Each link's tear-down takes its file's access with it.
    framework::RelationLink** links[] = {&ItemLink, &ConfigLink, &CustomerLink, &InvDetLink,
                                         &InvHdrLink};
    framework::FileAccess** accesses[] = {&ItemAccess, &ConfigAccess, &CustomerAccess,
                                          &InvDetAccess, &InvHdrAccess};
    for (std::size_t f = 0; f < std::size(links); ++f) {
        if (*links[f])
            (*links[f])->Teardown();
        *links[f] = nullptr;
        *accesses[f] = nullptr;
    }
    ItemFile = ConfigFile = CustomerFile = InvDetFile = InvHdrFile = nullptr;
    objects.reset();
}

bool DataDictionary::isSetUp() {
    return objects != nullptr;
}

} // namespace app
