// The control model behind each design table control, looked up by design.
#include <initializer_list>
#include <stdexcept>
#include <string>

#include "window/re_name_fold.h"

namespace window {

namespace {

template <typename Model>
Model& model_for(const ControlDesign& design, std::initializer_list<Model*> models) {
    for (Model* model : models) {
        if (&model->design() == &design) {
            return *model;
        }
    }
    throw std::logic_error("The window object has no model for the control " +
                           std::string(design.name));
}

}  // namespace

CommandButton& ReNameFold::button_of(const ControlDesign& design) {
    return model_for(design, {&CmdChDir, &Command2, &Command3, &Command1, &Cmdclearlist2});
}

const Label& ReNameFold::label_of(const ControlDesign& design) const {
    if (design.index != kNotInArray) {
        return Label2[static_cast<ListIndex>(design.index)];
    }
    return model_for(design,
                     {&Label9, &Label8, &Label7, &Label6, &Label5, &Label4, &Label3, &Label1});
}

ListBox& ReNameFold::list_box_of(const ControlDesign& design) {
    return model_for(design, {&List1, &List2, &List3});
}

const FileList& ReNameFold::file_list_of(const ControlDesign& design) const {
    return model_for(design, {&MidFile, &CurFile, &LyrFile});
}

FolderList& ReNameFold::folder_list_of(const ControlDesign& design) {
    return model_for(design, {&Dir1, &Dir2, &Dir3});
}

DriveList& ReNameFold::drive_list_of(const ControlDesign& design) {
    return model_for(design, {&Drive1});
}

}  // namespace window
