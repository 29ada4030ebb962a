// The undo history of the active document window: recording steps before a change, undoing and
// redoing them by swapping live components with copies read back from their streams, and the
// names every band and printable gets, since steps find their components by name.
#include "designer/surface/AnexoChild.h"
#include "designer/mainform/AnexoForm.h"
#include "designer/document/Hidden.h"
#include "designer/surface/KVDesigner.h"
#include "designer/surface/KVEtiqUtil.h"
#include "designer/surface/Voltar.h"
#include "engine/model/KVBands.h"
#include "engine/printables/KVColuna.h"
#include "engine/printables/KVCustomLabel.h"
#include "engine/printables/KVDBText.h"
#include "engine/printables/KVItemsObs.h"
#include "engine/printables/KVPrintable.h"
#include "engine/model/VardoRep.h"
#include "platform/core/ClassRegistry.h"
#include "platform/core/Collection.h"
#include "platform/core/Exceptions.h"
#include "platform/core/Reader.h"
#include "platform/core/Streams.h"
#include "platform/core/Strings.h"
#include "platform/core/TypInfo.h"
#include "platform/core/Writer.h"
#include "platform/data/DBTables.h"
#include "platform/data/DataSet.h"
#include "platform/ui/Application.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QMainWindow>

#include <algorithm>

namespace tessiv {

namespace {

// Copies are read with the history (or the document root) as the reader's root; a reference the
// writer qualified by the document root's name ("fmHidden.Query1") is looked for in the active
// document and nowhere else, so a copy never binds to a component of another document.
class TDocumentReferences : public TFindGlobalScope {
public:
    explicit TDocumentReferences(TComponent* documentRoot)
        : TFindGlobalScope([documentRoot](const QString& name) -> TComponent* {
              if (documentRoot && !documentRoot->Name().isEmpty() &&
                  name.compare(documentRoot->Name(), Qt::CaseInsensitive) == 0)
                  return documentRoot;
              return nullptr;
          })
    {
    }
};

// The band a control belongs to: a printable's parent band, or the band itself.
TKVCustomBand* BandOf(TControl* control)
{
    if (auto* band = dynamic_cast<TKVCustomBand*>(control))
        return band;
    return control ? dynamic_cast<TKVCustomBand*>(control->Parent()) : nullptr;
}

int ChildIndex(const TControl* control)
{
    const TWinControl* parent = control ? control->Parent() : nullptr;
    if (!parent)
        return -1;
    for (int i = 0; i < parent->ControlCount(); ++i)
        if (parent->Controls(i) == control)
            return i;
    return -1;
}

// Puts a restored control back at its former place among its siblings: the drawing order and the
// order the document is written in stay what they were.
void PlaceAt(TControl* control, int order)
{
    if (order < 0 || !control || !control->Parent())
        return;
    control->Parent()->SetChildOrder(control, order);
    control->Invalidate();
}

// A name the naming below may give: an identifier of ASCII letters, digits and underscores not
// starting with a digit. Anything else in a base is dropped (accents lose their marks first).
QString IdentifierBase(const QString& base)
{
    const QString decomposed = base.trimmed().normalized(QString::NormalizationForm_D);
    QString out;
    for (QChar c : decomposed) {
        const char16_t u = c.unicode();
        if ((u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || u == '_' || (u >= '0' && u <= '9' && !out.isEmpty()))
            out += c;
    }
    return out;
}

bool IsDataEntry(const QString& parentName)
{
    return parentName == QLatin1String("QUERY") || parentName == QLatin1String("DATASOURCE");
}

// The observation query and data source of an item area, or the column query of a grid.
void DataPartsOf(TControl* band, TQuery*& query, TDataSource*& source)
{
    query = nullptr;
    source = nullptr;
    if (auto* area = dynamic_cast<TKVItensObs*>(band)) {
        query = area->Obs_DataSet();
        source = area->Obs_DataSource();
    } else if (auto* grid = dynamic_cast<TKVColunaSql*>(band)) {
        query = grid->Col_DataSet();
        source = grid->Col_DataSource();
    }
}

void SetDataParts(TComponent* band, TQuery* query, TDataSource* source)
{
    if (auto* area = dynamic_cast<TKVItensObs*>(band)) {
        area->SetObs_DataSet(query);
        area->SetObs_DataSource(source);
    } else if (auto* grid = dynamic_cast<TKVColunaSql*>(band)) {
        grid->SetCol_DataSet(query);
        grid->SetCol_DataSource(source);
    }
}

void CopyStoredProperties(TPersistent* dest, const TPersistent* source);

void CopySubObject(TPersistent* dest, const TPersistent* source)
{
    if (!dest || !source)
        return;
    try {
        dest->Assign(source);
    } catch (const EConvertError&) {
        CopyStoredProperties(dest, source);
    }
}

// Every stored published property of source onto dest (same class): what the copy recorded,
// whatever the class. The name, the pixel bounds (the native sizes follow) and the design event
// handlers stay the live control's own.
void CopyStoredProperties(TPersistent* dest, const TPersistent* source)
{
    static const QStringList skipped{QStringLiteral("Name"), QStringLiteral("Left"), QStringLiteral("Top"),
                                     QStringLiteral("Width"), QStringLiteral("Height"), QStringLiteral("Size")};
    for (const TPropInfo* prop : dest->ClassType().Properties()) {
        if (skipped.contains(prop->Name, Qt::CaseInsensitive) || !prop->IsStored(source))
            continue;
        switch (prop->Kind) {
        case TTypeKind::tkInteger:
        case TTypeKind::tkInt64:
        case TTypeKind::tkEnumeration:
        case TTypeKind::tkSet:
            if (prop->GetOrd && prop->SetOrd && prop->GetOrd(dest) != prop->GetOrd(source))
                prop->SetOrd(dest, prop->GetOrd(source));
            break;
        case TTypeKind::tkFloat:
            if (prop->GetFloat && prop->SetFloat && prop->GetFloat(dest) != prop->GetFloat(source))
                prop->SetFloat(dest, prop->GetFloat(source));
            break;
        case TTypeKind::tkString:
            if (prop->GetStr && prop->SetStr && prop->GetStr(dest) != prop->GetStr(source))
                prop->SetStr(dest, prop->GetStr(source));
            break;
        case TTypeKind::tkComponent:
            if (prop->GetObject && prop->SetObject && prop->GetObject(dest) != prop->GetObject(source))
                prop->SetObject(dest, prop->GetObject(source));
            break;
        case TTypeKind::tkClass:
            if (prop->GetObject)
                CopySubObject(prop->GetObject(dest), prop->GetObject(source));
            break;
        case TTypeKind::tkMethod:
            break;
        }
    }
}

// The native position and size of the copy, exactly: pixels truncated at a zoom would move a
// control that was never moved, and a value passed through the shown unit would be rescaled when
// that unit changes on the way (a band's size lays the report out, in pixels).
void CopyNativeSizes(TControl* dest, const TComponent* source)
{
    if (auto* p = dynamic_cast<TKVPrintable*>(dest)) {
        auto* s = dynamic_cast<const TKVPrintable*>(source);
        if (!s)
            return;
        for (int i : {int(TKVPrintableSize::kvLeft), int(TKVPrintableSize::kvTop), int(TKVPrintableSize::kvWidth),
                      int(TKVPrintableSize::kvHeight)})
            p->Size()->SetNativeValue(i, s->Size()->NativeValue(i));
    } else if (auto* b = dynamic_cast<TKVCustomBand*>(dest)) {
        auto* s = dynamic_cast<const TKVCustomBand*>(source);
        if (!s)
            return;
        b->Size()->SetNativeValue(TKVBandSize::kvWidth, s->Size()->NativeValue(TKVBandSize::kvWidth));
        b->Size()->SetNativeValue(TKVBandSize::kvHeight, s->Size()->NativeValue(TKVBandSize::kvHeight));
    }
}

// A changed control takes back what its copy recorded: the copy of the printable or band first,
// then every other stored property and the native sizes.
void RestoreState(TControl* live, TComponent* copy)
{
    if (auto* p = dynamic_cast<TKVPrintable*>(live)) {
        if (auto* c = dynamic_cast<TKVPrintable*>(copy))
            p->CopyFrom(c);
    } else if (auto* b = dynamic_cast<TKVBasePanel*>(live)) {
        if (auto* c = dynamic_cast<TKVBasePanel*>(copy))
            b->CopyFrom(c);
    }
    if (&live->ClassType() != &copy->ClassType())
        return;
    CopyStoredProperties(live, copy);
    CopyNativeSizes(live, copy);
}

} // namespace

// ---- the history of the active window ----------------------------------------------------------

TfmVoltar* TfmAnexo::CurrentUndoForm() const
{
    // The active window hands its history over when it becomes active; without a document
    // there is none.
    return dynamic_cast<TfmVoltar*>(UndoForm);
}

void TfmAnexo::ShowUndoSteps()
{
    if (TfmVoltar* undo = CurrentUndoForm())
        undo->ShowSteps();
}

void TfmAnexo::FreeUndoStep(TPanelControl* step)
{
    if (!step)
        return;
    if (auto* undo = dynamic_cast<TfmVoltar*>(step->Owner()))
        undo->FreeStep(step);
}

void TfmAnexo::UpdateUndoRedoActions()
{
    if (!FEditarVoltar)
        return;
    TfmVoltar* undo = CurrentUndoForm();
    const int count = undo ? undo->StepCount() : 0;
    FEditarVoltar->setEnabled(count > 0 && undo->StepIndex >= 0);
    FEditarRefazer->setEnabled(count > 0 && undo->StepIndex < count - 1);
}

// ---- the copy stream ---------------------------------------------------------------------------

void TfmAnexo::WriteComponentToStream(TComponent* component)
{
    if (!FCopyStream)
        FCopyStream = std::make_shared<TMemoryStream>();
    FCopyStream->Clear();
    TWriter writer(*FCopyStream);
    writer.WriteDescendent(component);
}

TComponent* TfmAnexo::ReadComponentFromStream(TComponent* owner, TComponent* parent)
{
    if (!FCopyStream)
        FCopyStream = std::make_shared<TMemoryStream>();
    FCopyStream->SetPosition(0);
    TComponent* result = nullptr;
    {
        const TDocumentReferences references(Document ? static_cast<TComponent*>(Document->Root()) : nullptr);
        TReader reader(*FCopyStream);
        // A reference to something gone since stays empty: the copy is still worth restoring.
        reader.IgnoreUnresolvedReferences = true;
        // Copies are nameless; the entry keeps the name. Reading a stream back into the document
        // takes the name from the entry afterwards, so no name meets its own twin on the way.
        reader.OnSetName = [](TReader&, TComponent*, QString& name) { name.clear(); };
        try {
            reader.ReadComponents(owner, parent, [&](TComponent* c) {
                if (!result)
                    result = c;
            });
        } catch (...) {
            FCopyStream->Clear();
            throw;
        }
    }
    FCopyStream->Clear();
    return result;
}

// ---- names -------------------------------------------------------------------------------------

QString TfmAnexo::GetBandBaseName(const TKVCustomBand* band)
{
    if (!band)
        return {};
    // The most derived classes first: an item area is a child band, a cell band a custom band.
    if (dynamic_cast<const TKVColunaSql*>(band))
        return QStringLiteral("Colunas");
    if (dynamic_cast<const TKVColuna*>(band))
        return QStringLiteral("ItemColuna");
    if (dynamic_cast<const TKVItensObs*>(band))
        return QStringLiteral("ItensObs");
    if (dynamic_cast<const TKVItens*>(band))
        return QStringLiteral("Itens");
    if (dynamic_cast<const TKVObsVariavel*>(band))
        return QStringLiteral("ObservacaoVariavel");
    // Written without its accent: a component name is an identifier, and a document with a name
    // the reader refuses could never be opened again.
    if (dynamic_cast<const TKVObs*>(band))
        return QStringLiteral("Observacao");
    if (&band->ClassType() == &TKVBand::StaticClass()) {
        switch (band->BandType()) {
        case rbTitle:
            return QStringLiteral("Titulo");
        case rbPageHeader:
            return QStringLiteral("CabecalhoPagina");
        case rbDetail:
            return QStringLiteral("Detalhe");
        case rbPageFooter:
            return QStringLiteral("RodapePagina");
        case rbSummary:
            return QStringLiteral("Sumario");
        case rbGroupHeader:
            return QStringLiteral("CabecalhoGrupo");
        case rbGroupFooter:
            return QStringLiteral("RodapeGrupo");
        case rbColumnHeader:
            return QStringLiteral("CabecalhoColuna");
        default:
            return QStringLiteral("Banda");
        }
    }
    return {};
}

QString TfmAnexo::UniqueComponentName(TComponent* root, const QString& base) const
{
    QString stem = IdentifierBase(base);
    if (stem.isEmpty())
        stem = QStringLiteral("Objeto");
    TfmVoltar* undo = CurrentUndoForm();
    const auto heldByHistory = [undo](const QString& name) {
        if (!undo)
            return false;
        for (int s = 0; s < undo->StepCount(); ++s) {
            TPanelControl* step = undo->Steps(s);
            if (step->ObjectNames->ToStringList().contains(name, Qt::CaseInsensitive) ||
                step->Copies->ToStringList().contains(name, Qt::CaseInsensitive))
                return true;
            // Children and grandchildren of the copies keep the names of what they were copied from.
            for (const QString& kept : step->CopyNames)
                if (kept == name)
                    return true;
        }
        return false;
    };
    for (int n = 1;; ++n) {
        const QString name = stem + QString::number(n);
        if (root && root->FindComponent(name))
            continue;
        if (heldByHistory(name))
            continue;
        return name;
    }
}

void TfmAnexo::EnsureComponentName(TComponent* component)
{
    if (!component)
        return;
    if (component->Name().isEmpty()) {
        TComponent* root = Document ? static_cast<TComponent*>(Document->Root()) : component->Owner();
        QString base;
        if (auto* band = dynamic_cast<TKVCustomBand*>(component))
            base = GetBandBaseName(band);
        else
            base = component->ClassType().ClassName.mid(1);
        component->SetName(UniqueComponentName(root, base));
    }
    if (auto* label = dynamic_cast<TKVCustomLabel*>(component); label && !dynamic_cast<TKVDBText*>(label))
        if (label->Caption() == label->Name())
            label->SetCaption(QStringLiteral("(NADA)"));
}

// ---- recording ---------------------------------------------------------------------------------

TComponent* TfmAnexo::CopyIntoStep(TControl* control, TPanelControl* step)
{
    WriteComponentToStream(control);
    TComponent* copy = ReadComponentFromStream(step->Owner(), step);
    if (copy)
        copy->SetName(QString());
    return copy;
}

void TfmAnexo::RecordBandChildren(TKVCustomBand* band, TComponent* bandCopy, TPanelControl* step)
{
    auto* copyParent = dynamic_cast<TWinControl*>(bandCopy);
    if (!band || !copyParent)
        return;
    const auto copyChild = [&](TControl* child, TWinControl* into) -> TComponent* {
        EnsureComponentName(child);
        const QString name = child->Name();
        TComponent* copy = CopyIntoStep(child, step);
        if (!copy)
            return nullptr;
        if (auto* control = dynamic_cast<TControl*>(copy); control && control->Parent() != into)
            control->SetParent(into);
        copy->SetName(QString());
        step->CopyNames.insert(copy, name);
        copy->FreeNotification(step);
        return copy;
    };
    // A snapshot: the printables leave the band as they are copied.
    std::vector<TControl*> children;
    for (int i = 0; i < band->ControlCount(); ++i)
        children.push_back(band->Controls(i));
    for (TControl* child : children) {
        if (auto* nested = dynamic_cast<TKVCustomBand*>(child)) {
            auto* nestedCopy = dynamic_cast<TWinControl*>(copyChild(nested, copyParent));
            if (!nestedCopy)
                continue;
            std::vector<TControl*> grandChildren;
            for (int i = 0; i < nested->ControlCount(); ++i)
                grandChildren.push_back(nested->Controls(i));
            for (TControl* grandChild : grandChildren) {
                copyChild(grandChild, nestedCopy);
                // An observation label belongs to its band and goes with it; the band's copy
                // must not point at the live label.
                if (dynamic_cast<TKVObsLabel*>(grandChild)) {
                    if (auto* obsCopy = dynamic_cast<TKVObs*>(nestedCopy))
                        obsCopy->SetObs_Label(nullptr);
                    continue;
                }
                grandChild->Free();
            }
            // Nested bands stay and go with their band.
            continue;
        }
        copyChild(child, copyParent);
        child->Free();
    }
}

void TfmAnexo::SaveUndoStep(int kind, TControl* obj)
{
    if (!Document)
        return;
    static const int kinds[] = {0, 1, 2, 10, 11, 12, 111};
    if (std::find(std::begin(kinds), std::end(kinds), kind) == std::end(kinds))
        return;
    TfmVoltar* undo = CurrentUndoForm();
    if (!undo)
        return;
    const bool hasCurrent = undo->StepIndex >= 0 && undo->StepIndex < undo->StepCount();
    if (kind == 111) {
        // A band renamed after its entry was recorded (a group's footer changing its type).
        if (hasCurrent && dynamic_cast<TKVCustomBand*>(obj)) {
            TPanelControl* step = undo->Steps(undo->StepIndex);
            const int last = step->ObjectNames->Count() - 1;
            if (last >= 0 && step->ObjectNames->Strings(last) != obj->Name())
                step->ObjectNames->Put(last, obj->Name());
        }
        return;
    }
    // An entry for a step that does not exist would make one of its own: it is ignored.
    if (kind >= 10 && !hasCurrent)
        return;
    const bool multi = kind < 10 && MultiSelectionForUndo().size() > 0;
    std::vector<TControl*> selection;
    if (multi) {
        if (!CurrentBand || !CurrentBand->Parent())
            return;
        selection = MultiSelectionForUndo();
    } else if (!obj) {
        // Nothing to record: no empty step.
        return;
    }

    // The redo branch goes.
    while (undo->StepCount() - 1 > undo->StepIndex)
        undo->FreeStep(undo->Steps(undo->StepCount() - 1));

    TPanelControl* step = nullptr;
    bool created = false;
    if (kind >= 10) {
        step = undo->Steps(undo->StepIndex);
        kind -= 10;
    } else {
        step = undo->AddStep(BandOf(obj ? obj : CurrentBand));
        created = true;
    }

    const auto recordEntry = [&](TControl* control) {
        const QString parentName = control->Parent() ? control->Parent()->Name() : QString();
        const int order = ChildIndex(control);
        EnsureComponentName(control);
        const QString name = control->Name();
        if (kind == 0) {
            step->AddEntry(0, parentName, name, QString(), nullptr, order);
            WireControlInput(control);
            return static_cast<TComponent*>(nullptr);
        }
        TComponent* copy = CopyIntoStep(control, step);
        step->AddEntry(kind, parentName, name, name, copy, order);
        return copy;
    };

    try {
        if (multi) {
            step->StepObject = nullptr;
            step->MultiStep = true;
            for (TControl* control : selection) {
                // Observation labels stay with their band when a selection is deleted or cut.
                if (kind == 2 && dynamic_cast<TKVObsLabel*>(control))
                    continue;
                recordEntry(control);
            }
        } else {
            step->MultiStep = false;
            step->StepObject = kind == 2 ? nullptr : obj;
            TComponent* copy = recordEntry(obj);
            if (kind == 2)
                if (auto* band = dynamic_cast<TKVCustomBand*>(obj)) {
                    TQuery* query = nullptr;
                    TDataSource* source = nullptr;
                    DataPartsOf(band, query, source);
                    if (query && source) {
                        step->AddEntry(kind, QStringLiteral("QUERY"), query->Name(), source->Name(), nullptr);
                        step->AddEntry(kind, QStringLiteral("DATASOURCE"), source->Name(), QString(), nullptr);
                        SetDataParts(copy, nullptr, nullptr);
                    }
                    RecordBandChildren(band, copy, step);
                }
        }
    } catch (...) {
        // A step that failed half-way is not kept: it could not be undone.
        if (created)
            undo->FreeStep(step);
        UpdateUndoRedoActions();
        throw;
    }

    if (created && step->EntryCount() == 0) {
        undo->FreeStep(step);
        UpdateUndoRedoActions();
        return;
    }
    if (created) {
        ++undo->StepIndex;
        if (undo->StepCount() > TfmVoltar::MaxSteps) {
            undo->FreeStep(undo->Steps(0));
            --undo->StepIndex;
        }
    }
    UpdateUndoRedoActions();
}

// ---- undo and redo -----------------------------------------------------------------------------

TControl* TfmAnexo::RestoreFromCopy(TComponent* copy, TWinControl* parent, const QString& name)
{
    if (!copy || !Document)
        return nullptr;
    WriteComponentToStream(copy);
    TComponent* read = ReadComponentFromStream(Document->Root(), parent);
    auto* control = dynamic_cast<TControl*>(read);
    if (!control) {
        if (read)
            read->Free();
        return nullptr;
    }
    try {
        if (parent && control->Parent() != parent)
            control->SetParent(parent);
        // A text whose caption follows its name keeps the caption it was recorded with.
        const QString caption = control->Caption();
        control->SetName(name);
        if (control->Caption() != caption)
            control->SetCaption(caption);
    } catch (...) {
        control->Free();
        throw;
    }
    return control;
}

void TfmAnexo::RestoreBandChildren(TKVCustomBand* band, TComponent* bandCopy, TPanelControl* step)
{
    auto* copyParent = dynamic_cast<TWinControl*>(bandCopy);
    if (!band || !copyParent)
        return;
    std::vector<TControl*> childCopies;
    for (int i = 0; i < copyParent->ControlCount(); ++i)
        childCopies.push_back(copyParent->Controls(i));
    for (TControl* childCopy : childCopies) {
        const QString name = step->CopyNames.value(childCopy);
        TControl* child = RestoreFromCopy(childCopy, band, name);
        if (auto* nested = dynamic_cast<TKVCustomBand*>(child)) {
            if (auto* nestedCopy = dynamic_cast<TKVBasePanel*>(childCopy)) {
                nested->CopyFrom(nestedCopy);
                std::vector<TControl*> grandCopies;
                for (int i = 0; i < nestedCopy->ControlCount(); ++i)
                    grandCopies.push_back(nestedCopy->Controls(i));
                for (TControl* grandCopy : grandCopies) {
                    TControl* grandChild = RestoreFromCopy(grandCopy, nested, step->CopyNames.value(grandCopy));
                    if (auto* label = dynamic_cast<TKVObsLabel*>(grandChild))
                        if (auto* obs = dynamic_cast<TKVObs*>(nested); obs && !obs->Obs_Label())
                            obs->SetObs_Label(label);
                    if (grandChild)
                        WireControlInput(grandChild);
                    grandCopy->Free();
                }
            }
        }
        if (child)
            WireControlInput(child);
        childCopy->Free();
    }
}

void TfmAnexo::RecordNestedBands(TKVCustomBand* band, TComponent* bandCopy, TPanelControl* step)
{
    // An undone insertion of a band takes its nested bands (an area's parts, a grid's cell) and
    // their observation labels into the copy; they go with the band.
    auto* copyParent = dynamic_cast<TWinControl*>(bandCopy);
    if (!band || !copyParent)
        return;
    for (int i = 0; i < band->ControlCount(); ++i) {
        auto* nested = dynamic_cast<TKVCustomBand*>(band->Controls(i));
        if (!nested)
            continue;
        EnsureComponentName(nested);
        auto* nestedCopy = dynamic_cast<TWinControl*>(CopyIntoStep(nested, step));
        if (!nestedCopy)
            continue;
        nestedCopy->SetParent(copyParent);
        step->CopyNames.insert(nestedCopy, nested->Name());
        nestedCopy->FreeNotification(step);
        for (int j = 0; j < nested->ControlCount(); ++j)
            if (auto* label = dynamic_cast<TKVObsLabel*>(nested->Controls(j))) {
                EnsureComponentName(label);
                auto* labelCopy = dynamic_cast<TControl*>(CopyIntoStep(label, step));
                if (!labelCopy)
                    continue;
                labelCopy->SetParent(nestedCopy);
                step->CopyNames.insert(labelCopy, label->Name());
                labelCopy->FreeNotification(step);
            }
        if (auto* obsCopy = dynamic_cast<TKVObs*>(nestedCopy))
            obsCopy->SetObs_Label(nullptr);
    }
}

void TfmAnexo::ApplyUndoEntry(TPanelControl* step, int i, bool redo)
{
    TfmHidden* root = Document->Root();
    const int kind = step->Kind(i);
    const QString objectName = step->ObjectNames->Strings(i);
    const QString parentName = step->ParentNames->Strings(i);
    auto* obj = dynamic_cast<TControl*>(root->FindComponent(objectName));
    TComponent* copy = step->CopyOf(i);
    const auto parentNamed = [root](const QString& name) { return dynamic_cast<TWinControl*>(root->FindComponent(name)); };

    // Takes a live control out of the document into a fresh copy of the entry.
    const auto takeOut = [&](TControl* control, bool deletion) {
        TWinControl* parent = control->Parent();
        TComponent* newCopy = CopyIntoStep(control, step);
        if (auto* band = dynamic_cast<TKVCustomBand*>(control)) {
            if (deletion) {
                SetDataParts(newCopy, nullptr, nullptr);
                RecordBandChildren(band, newCopy, step);
            } else {
                RecordNestedBands(band, newCopy, step);
            }
        }
        step->StepObject = parent;
        if (Designer && Designer->Selected() == control)
            Designer->SetSelected(nullptr);
        if (MultiDesigner && MultiDesigner->IsSelected(control))
            MultiDesigner->Toggle(control);
        if (CurrentBand == control)
            SetCurrentBand(nullptr);
        if (TfmAnexo_MDIChild* active = ActiveMDIChild(); active && active->SelectedControl == control)
            active->SelectedControl = nullptr;
        control->Free();
        step->SetCopy(i, newCopy);
    };

    // Brings a control back into the document from the entry's copy. A band takes its copy's
    // settings after its nested bands are back, so an area links to its parts by their names.
    const auto bringBack = [&]() -> TControl* {
        TWinControl* parent = parentNamed(parentName);
        // Something live under the name already: nothing to bring back over it.
        if (!copy || !parent || obj)
            return nullptr;
        TControl* control = RestoreFromCopy(copy, parent, objectName);
        if (!control)
            return nullptr;
        PlaceAt(control, step->Order(i));
        if (auto* band = dynamic_cast<TKVCustomBand*>(control)) {
            RestoreBandChildren(band, copy, step);
            if (auto* panelCopy = dynamic_cast<TKVBasePanel*>(copy))
                band->CopyFrom(panelCopy);
            // The data entries of this band were restored before it (undo runs backwards).
            QString queryName, sourceName;
            for (int e = 0; e < step->EntryCount(); ++e) {
                if (step->ParentNames->Strings(e) == QLatin1String("QUERY"))
                    queryName = step->ObjectNames->Strings(e);
                else if (step->ParentNames->Strings(e) == QLatin1String("DATASOURCE"))
                    sourceName = step->ObjectNames->Strings(e);
            }
            if (!queryName.isEmpty() || !sourceName.isEmpty())
                SetDataParts(band, dynamic_cast<TQuery*>(root->FindComponent(queryName)),
                             dynamic_cast<TDataSource*>(root->FindComponent(sourceName)));
            band->RefreshDataControls();
            // The report lays its bands out again with this one among them.
            band->SetBandType(band->BandType());
            SetCurrentBand(band);
        }
        WireControlInput(control);
        step->SetCopy(i, nullptr);
        copy->Free();
        copy = nullptr;
        return control;
    };

    switch (kind) {
    case 0:
        if (!redo) {
            if (obj)
                takeOut(obj, false);
        } else if (TControl* control = bringBack()) {
            step->StepObject = control;
        }
        break;
    case 1:
        if (obj && copy) {
            auto* band = dynamic_cast<TKVCustomBand*>(obj);
            auto* bandCopy = dynamic_cast<TKVCustomBand*>(copy);
            if (band && bandCopy && band->BandType() != bandCopy->BandType()) {
                // The band's name goes with its type: swap it with the one the entry kept.
                const QString kept = step->Copies->Strings(i);
                const QString current = band->Name();
                band->SetName(kept);
                step->Copies->Put(i, current);
                step->ObjectNames->Put(i, band->Name());
                SetCurrentBand(band);
            }
            TComponent* newCopy = CopyIntoStep(obj, step);
            try {
                RestoreState(obj, copy);
            } catch (...) {
                if (newCopy)
                    newCopy->Free();
                throw;
            }
            step->SetCopy(i, newCopy);
            copy->Free();
            if (redo)
                step->StepObject = obj;
        }
        break;
    case 2:
        if (!redo) {
            if (IsDataEntry(parentName) && root->FindComponent(objectName)) {
                // Still there (the band did not take it along): the band links to it again.
            } else if (parentName == QLatin1String("DATASOURCE")) {
                auto* source = new TDataSource(Report ? Report->Owner() : root);
                source->SetDataSet(Report ? Report->DataSet() : nullptr);
                source->SetName(objectName);
            } else if (parentName == QLatin1String("QUERY")) {
                auto* query = new TQuery(Report ? Report->Owner() : root);
                query->SetActive(false);
                query->SetFiltered(false);
                query->SetDataSource(dynamic_cast<TDataSource*>(root->FindComponent(step->Copies->Strings(i))));
                if (auto* db = dynamic_cast<TDBDataSet*>(Report ? Report->DataSet() : nullptr))
                    query->SetDatabaseName(db->DatabaseName());
                query->SetName(objectName);
            } else {
                bringBack();
            }
        } else if (!IsDataEntry(parentName) && obj) {
            // A deleted band frees its query and data source itself.
            takeOut(obj, true);
        }
        break;
    default:
        break;
    }
    if (redo)
        if (auto* band = dynamic_cast<TKVCustomBand*>(root->FindComponent(step->ObjectNames->Strings(i))))
            band->SetBandType(band->BandType());
}

void TfmAnexo::PrepareUndoSelection(TPanelControl* step)
{
    if (MultiDesigner)
        MultiDesigner->Clear();
    if (step->MultiStep) {
        ReleaseDesigner();
        if (MultiDesigner)
            MultiDesigner->SetSurface(Report);
    } else if (Designer && Report) {
        if (!Designer->Attached())
            Designer->Attach(Report);
        Designer->SetSelected(nullptr);
    }
    if (TfmAnexo_MDIChild* active = ActiveMDIChild())
        active->SelectedControl = nullptr;
}

void TfmAnexo::FinishUndoSelection(TPanelControl* step, int lastKind, bool redo)
{
    if (step->MultiStep)
        return;
    TControl* select = nullptr;
    // Undo runs a single step's entries backwards, so its last entry processed is the first.
    const int last = redo || step->EntryCount() <= 1 ? step->EntryCount() - 1 : 0;
    const bool parentOfEntry = redo ? lastKind == 2 : lastKind == 0;
    if (parentOfEntry)
        select = step->StepObject;
    else if (last >= 0 && Document)
        select = dynamic_cast<TControl*>(Document->Root()->FindComponent(step->ObjectNames->Strings(last)));
    if (auto* band = dynamic_cast<TKVCustomBand*>(select))
        SetCurrentBand(band);
    else if (select)
        if (auto* band = dynamic_cast<TKVCustomBand*>(select->Parent()))
            SetCurrentBand(band);
    if (Designer && Designer->Attached()) {
        Designer->SetSelected(select);
        Designer->RefreshHandles();
    }
    if (TfmAnexo_MDIChild* active = ActiveMDIChild())
        active->SelectedControl = select;
    Application().ProcessMessages();
}

void TfmAnexo::EditarVoltarExecute()
{
    if (UndoRedoBusy || !Document)
        return;
    // A drag still held ends first: it may record the step undone here.
    EndSurfacePress();
    TfmVoltar* undo = CurrentUndoForm();
    if (!undo || undo->StepCount() == 0 || undo->StepIndex < 0 || undo->StepIndex >= undo->StepCount())
        return;
    UndoRedoBusy = true;
    TPanelControl* step = undo->Steps(undo->StepIndex);
    int lastKind = -1;
    try {
        PrepareUndoSelection(step);
        // The controls that come back into the selection change it once.
        const TMultiSelectionBatch batch(MultiDesigner);
        const int count = step->EntryCount();
        // A single step of several entries (a band with its data entries) is undone backwards.
        if (!step->MultiStep && count > 1)
            for (int i = count - 1; i >= 0; --i) {
                ApplyUndoEntry(step, i, false);
                lastKind = step->Kind(i);
            }
        else
            for (int i = 0; i < count; ++i) {
                ApplyUndoEntry(step, i, false);
                lastKind = step->Kind(i);
                if (step->MultiStep && lastKind != 0)
                    ToggleBackIntoSelection(step, i);
            }
        SetModified(true);
        --undo->StepIndex;
    } catch (...) {
        UndoRedoBusy = false;
        UpdateUndoRedoActions();
        throw;
    }
    UndoRedoBusy = false;
    FinishUndoSelection(step, lastKind, false);
    UpdateUndoRedoActions();
}

void TfmAnexo::EditarRefazerExecute()
{
    if (UndoRedoBusy || !Document)
        return;
    TfmVoltar* undo = CurrentUndoForm();
    if (!undo || undo->StepIndex >= undo->StepCount() - 1)
        return;
    // A press still held ends first; one that moved has recorded its step and left nothing to redo.
    EndSurfacePress();
    if (undo->StepIndex >= undo->StepCount() - 1)
        return;
    UndoRedoBusy = true;
    TPanelControl* step = undo->Steps(undo->StepIndex + 1);
    int lastKind = -1;
    try {
        PrepareUndoSelection(step);
        const TMultiSelectionBatch batch(MultiDesigner);
        for (int i = 0; i < step->EntryCount(); ++i) {
            ApplyUndoEntry(step, i, true);
            lastKind = step->Kind(i);
            if (step->MultiStep && lastKind != 2)
                ToggleBackIntoSelection(step, i);
        }
        SetModified(true);
        ++undo->StepIndex;
    } catch (...) {
        UndoRedoBusy = false;
        UpdateUndoRedoActions();
        throw;
    }
    UndoRedoBusy = false;
    FinishUndoSelection(step, lastKind, true);
    UpdateUndoRedoActions();
}

void TfmAnexo::ToggleBackIntoSelection(TPanelControl* step, int index)
{
    if (!MultiDesigner || !Document)
        return;
    if (auto* control = dynamic_cast<TControl*>(Document->Root()->FindComponent(step->ObjectNames->Strings(index))))
        if (!MultiDesigner->IsSelected(control))
            MultiDesigner->Toggle(control);
}

std::vector<TControl*> TfmAnexo::MultiSelectionForUndo() const
{
    if (!MultiDesigner)
        return {};
    return MultiDesigner->SelectedControls();
}

// ---- the Edit menu -----------------------------------------------------------------------------

QAction* TfmAnexo::EditarVoltar()
{
    return FEditarVoltar;
}

QAction* TfmAnexo::EditarRefazer()
{
    return FEditarRefazer;
}

} // namespace tessiv
