#pragma once

#include "framework/query/QueryBuilder.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace host {
class Window;
class Variable;
struct WindowDefinition;
} // namespace host

namespace framework {

// A query by example that asks the user in a form, "Query by Example": one row per field
// of the field list, with the column's title, the value typed in the builder's syntax (a
// short hint of it stands above the rows), "Any case" for a text field, and "From" and
// "To" bounds (both included) for a number or a date. "Save as..." keeps the criteria
// under a name, "C&lear" empties them, "&OK" applies them and "&Cancel" leaves the
// entries as they were.
class QueryForm : public QueryBuilder {
public:
    // Control numbers of the form.
    static constexpr int HintLine1 = 1;
    static constexpr int HintLine2 = 2;
    static constexpr int FirstRow = 10; // row r's controls are FirstRow + 5 * (r - 1) + part
    enum RowPart { TitlePart = 0, ValuePart, CasePart, FromPart, ToPart };
    static constexpr int SaveButton = 900;
    static constexpr int ClearButton = 901;
    static constexpr int OkButton = 902;
    static constexpr int CancelButton = 903;
    // The name window.
    static constexpr int NameEntry = 1;
    static constexpr int NameOk = 2;
    static constexpr int NameCancel = 3;

    static constexpr std::string_view formTitle = "Query by Example";
    static constexpr std::string_view hint1 =
        "Smith  is Smith      Smith*  begins with Smith      *toy  holds toy      >=100  <5  <>0  "
        "compare";
    static constexpr std::string_view hint2 =
        "^ in front, or Any case: letters of either case      From, To: bounds, both included";

    static int RowControl(int row, RowPart part) { return FirstRow + 5 * (row - 1) + part; }

    // The form's definition for the fields as they stand.
    std::shared_ptr<const host::WindowDefinition> FormDefinition() const;

protected:
    bool AskWindow() override;

    // Asks for the name to save under; empty when the user cancelled.
    virtual std::string AskName();
    // Tells the user why the form cannot do what was asked.
    virtual void Tell(std::string_view message);

private:
    struct RowVariables;
    void LoadRows(std::vector<RowVariables>& rows) const;
    void StoreRows(const std::vector<RowVariables>& rows);
    // The reason the entries cannot be applied, or empty when they can.
    std::string Refusal();
};

} // namespace framework
