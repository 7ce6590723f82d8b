#!/usr/bin/env python3
"""tools/bind-handlers moves bindings into the layouts without disturbing their other lines."""

import contextlib
import difflib
import importlib.machinery
import importlib.util
import io
import json
import os
import shutil
import tempfile
import unittest

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")
FORMS = os.path.join(ROOT, "wizard", "forms")


def load_tool():
    loader = importlib.machinery.SourceFileLoader("bind_handlers", os.path.join(ROOT, "tools", "bind-handlers"))
    spec = importlib.util.spec_from_loader("bind_handlers", loader)
    module = importlib.util.module_from_spec(spec)
    loader.exec_module(module)
    return module


tool = load_tool()


class BindHandlersTest(unittest.TestCase):
    def setUp(self):
        # The committed layouts with every binding taken out again into bindings.json, so that
        # the tests have pending bindings to move whatever the program has bound by now.
        self.dir = tempfile.mkdtemp()
        pending = {}
        for name in sorted(os.listdir(FORMS)):
            if not name.endswith(".json") or name == "bindings.json":
                continue
            _, root = tool.read_json(os.path.join(FORMS, name))
            rows = pending.setdefault(root["name"], [])

            def unbind(node):
                for key in [k for k in node if k.startswith("On")]:
                    rows.append({"control": node["name"], "event": key, "handler": node.pop(key)})
                for child in node.get("children", []):
                    unbind(child)

            unbind(root)
            with open(os.path.join(self.dir, name), "w", encoding="utf-8") as f:
                f.write(tool.format_layout(root))
        with open(os.path.join(self.dir, "bindings.json"), "w", encoding="utf-8") as f:
            f.write(tool.format_bindings(pending))

    def tearDown(self):
        shutil.rmtree(self.dir)

    def read(self, name):
        with open(os.path.join(self.dir, name), encoding="utf-8") as f:
            return f.read()

    def run_tool(self, *args):
        err = io.StringIO()
        with contextlib.redirect_stdout(io.StringIO()), contextlib.redirect_stderr(err):
            code = tool.main(["--dir", self.dir, *args])
        return code, err.getvalue()

    def pending(self, form):
        return json.loads(self.read("bindings.json")).get(form, [])

    def test_committed_files_are_in_their_format_and_sound(self):
        code, err = self.run_tool("--check")
        self.assertEqual(code, 0, err)

    def test_moving_a_handler_changes_only_the_lines_of_its_controls(self):
        before = self.read("form_Main.json").splitlines()
        code, err = self.run_tool("--handler", "btn_NextClick")
        self.assertEqual(code, 0, err)
        after = self.read("form_Main.json").splitlines()
        changed = [line for line in difflib.ndiff(before, after) if line.startswith("+ ")]
        self.assertEqual(len(changed), 3)
        for control in ("btn_Next", "img_btnNextOver", "lab_btnNext"):
            self.assertEqual(sum(f'"name": "{control}"' in line and '"OnClick": "btn_NextClick"' in line
                                 for line in changed), 1, control)
        self.assertFalse([b for b in self.pending("form_Main") if b["handler"] == "btn_NextClick"])
        self.assertEqual(self.run_tool("--check")[0], 0)
        # Nothing is left to move a second time.
        self.assertEqual(self.run_tool("--handler", "btn_NextClick")[0], 2)

    def test_a_form_moves_whole_and_other_forms_keep_theirs(self):
        others = self.pending("form_Main")
        code, err = self.run_tool("--form", "form_ConnectionTest")
        self.assertEqual(code, 0, err)
        self.assertEqual(self.pending("form_ConnectionTest"), [])
        self.assertEqual(self.pending("form_Main"), others)
        layout = json.loads(self.read("form_ConnectionTest.json"))
        self.assertEqual(layout["OnCreate"], "FormCreate")
        timer = next(c for c in layout["children"] if c["name"] == "timer_CheckConnection")
        self.assertEqual(timer["OnTimer"], "timer_CheckConnectionTimer")

    def test_a_handler_name_is_moved_only_for_the_forms_asked(self):
        code, err = self.run_tool("--form", "form_MessageBox", "--handler", "FormShow")
        self.assertEqual(code, 0, err)
        self.assertTrue([b for b in self.pending("form_ConfirmFormat") if b["handler"] == "FormShow"])
        self.assertEqual(json.loads(self.read("form_MessageBox.json"))["OnShow"], "FormShow")

    def test_mistakes_are_refused_and_nothing_is_written(self):
        bindings = json.loads(self.read("bindings.json"))
        bindings["form_Main"].append({"control": "lab_Gone", "event": "OnClick", "handler": "GoneClick"})
        bindings["form_Main"].append({"control": "btn_Back", "event": "OnClick", "handler": "OtherClick"})
        with open(os.path.join(self.dir, "bindings.json"), "w", encoding="utf-8") as f:
            f.write(tool.format_bindings(bindings))
        snapshot = {name: self.read(name) for name in os.listdir(self.dir)}
        cases = [
            (["--handler", "GoneClick"], "no component lab_Gone"),
            (["--handler", "btn_BackClick", "--handler", "OtherClick"], "already bound to btn_BackClick"),
            (["--handler", "NoSuchHandler"], "no pending binding for NoSuchHandler"),
            (["--form", "form_Nowhere"], "no form form_Nowhere"),
        ]
        for args, message in cases:
            code, err = self.run_tool(*args)
            self.assertEqual(code, 2, args)
            self.assertIn(message, err)
            self.assertEqual({name: self.read(name) for name in os.listdir(self.dir)}, snapshot, args)
        code, err = self.run_tool("--check")
        self.assertEqual(code, 1)
        self.assertIn("no component lab_Gone", err)

    def test_format_restores_a_layout_edited_by_hand(self):
        original = self.read("form_ApplyProgress.json")
        with open(os.path.join(self.dir, "form_ApplyProgress.json"), "w", encoding="utf-8") as f:
            json.dump(json.loads(original), f, indent=4)
        self.assertEqual(self.run_tool("--check")[0], 1)
        self.assertEqual(self.run_tool("--format")[0], 0)
        self.assertEqual(self.read("form_ApplyProgress.json"), original)


if __name__ == "__main__":
    unittest.main()
