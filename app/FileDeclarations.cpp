#include "app/FileDeclarations.h"

#include <memory>

namespace app::files {

namespace {

using host::FieldType;

host::SharedLayout layout(std::initializer_list<std::pair<std::string, FieldType>> fields) {
    return std::make_shared<const host::RecordLayout>(fields);
}

host::FileDefinition perThread(host::FileDefinition file) {
    file.setPerThread(true);
    return file;
}

// The five keys other than the Id keys share these attributes.
int addKey(host::FileDefinition& file, std::string label,
           std::initializer_list<std::string_view> fields) {
    return file.addKey(std::move(label), fields, /*duplicates=*/false, /*ignoreCase=*/true,
                       /*primary=*/false);
}

// An Id key differs from them by being the primary key.
int addIdKey(host::FileDefinition& file, std::string label, std::string_view field) {
    return file.addKey(std::move(label), {field}, /*duplicates=*/false, /*ignoreCase=*/true,
                       /*primary=*/true);
}

} // namespace

host::FileDefinition item() {
    host::FileDefinition file("ITEM", "ITM",
                              layout({{"ITM:ITEMID", FieldType::longInteger()},
                                      {"ITM:ITEMNUMBER", FieldType::text(10)},
                                      {"ITM:DESCRIPTION", FieldType::text(30)},
                                      {"ITM:COST", FieldType::decimal(7, 2)},
                                      {"ITM:LIST", FieldType::decimal(7, 2)},
                                      {"ITM:SELL", FieldType::decimal(7, 2)},
                                      {"ITM:UOM", FieldType::text(2)},
                                      {"ITM:ICONFILE", FieldType::cstring(256)}}));
    addIdKey(file, "ITM:ITEMIDK", "ITM:ITEMID");
    addKey(file, "ITM:ITEMNUMBERK", {"ITM:ITEMNUMBER"});
    file.markSearched("ITM:DESCRIPTION");
    return perThread(std::move(file));
}

host::FileDefinition config() {
    return perThread(host::FileDefinition("CONFIG", "CON",
                                          layout({{"CON:COMPANYNAME", FieldType::text(30)},
                                                  {"CON:TAXRATE", FieldType::decimal(5, 4)},
                                                  {"CON:ADDRESS", FieldType::text(20)},
                                                  {"CON:CITY", FieldType::text(15)},
                                                  {"CON:STATE", FieldType::text(2)},
                                                  {"CON:ZIP", FieldType::text(10)},
                                                  {"CON:PHONE", FieldType::text(10)}})));
}

host::FileDefinition customer() {
    host::FileDefinition file("CUSTOMER", "CUS",
                              layout({{"CUS:CUSTOMERID", FieldType::longInteger()},
                                      {"CUS:NUMBER", FieldType::text(4)},
                                      {"CUS:NAME", FieldType::text(30)},
                                      {"CUS:ADDRESS", FieldType::text(20)},
                                      {"CUS:CITY", FieldType::text(15)},
                                      {"CUS:STATE", FieldType::text(2)},
                                      {"CUS:ZIP", FieldType::text(10)},
                                      {"CUS:PHONE", FieldType::text(10)},
                                      {"CUS:FAX", FieldType::text(10)},
                                      {"CUS:TOLLFREE", FieldType::text(10)},
                                      {"CUS:CONTACT", FieldType::text(20)}}));
    addIdKey(file, "CUS:CUSTOMERIDK", "CUS:CUSTOMERID");
    addKey(file, "CUS:NAMEK", {"CUS:NAME"});
    addKey(file, "CUS:NUMBERK", {"CUS:NUMBER"});
    file.markSearched("CUS:NAME");
    file.markSearched("CUS:CONTACT");
    return perThread(std::move(file));
}

host::FileDefinition invDet() {
    host::FileDefinition file("INVDET", "IND",
                              layout({{"IND:INVDETID", FieldType::longInteger()},
                                      {"IND:INVHDRID", FieldType::longInteger()},
                                      {"IND:ITEMNUMBER", FieldType::text(10)},
                                      {"IND:QUANTITY", FieldType::longInteger()},
                                      {"IND:SEQUENCE", FieldType::longInteger()},
                                      {"IND:COST", FieldType::decimal(7, 2)},
                                      {"IND:LIST", FieldType::decimal(7, 2)},
                                      {"IND:SELL", FieldType::decimal(7, 2)},
                                      {"IND:PRINT", FieldType::text(1)}}));
    addIdKey(file, "IND:INVDETIDK", "IND:INVDETID");
    addKey(file, "IND:INVHDRK", {"IND:INVHDRID", "IND:SEQUENCE"});
    return perThread(std::move(file));
}

host::FileDefinition invHdr() {
    host::FileDefinition file("INVHDR", "INH",
                              layout({{"INH:CUSTOMERNUMBER", FieldType::text(4)},
                                      {"INH:INVHDRID", FieldType::longInteger()},
                                      {"INH:INVOICENUMBER", FieldType::longInteger()},
                                      {"INH:DATE", FieldType::date()}}));
    addKey(file, "INH:INVOICENUMBERK", {"INH:INVOICENUMBER"});
    addIdKey(file, "INH:INVHDRIDK", "INH:INVHDRID");
    return perThread(std::move(file));
}

} // namespace app::files
