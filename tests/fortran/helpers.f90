! The module's helpers and its text conventions through the library:
!   helpers VERSION
module stop_capture
  use, intrinsic :: iso_c_binding, only: c_char, c_int32_t, c_null_char
  implicit none
  character(len=:), allocatable :: stopped
contains
  function never_called(name, name_len) bind(c) result(irec)
    integer(c_int32_t), value :: name_len
    character(kind=c_char), intent(in) :: name(name_len)
    integer(c_int32_t) :: irec
    irec = 0
    if (size(name) > 0) error stop 'READINP called the lookup of an unknown model'
  end function never_called

  subroutine on_stop(message) bind(c)
    character(kind=c_char), intent(in) :: message(*)
    integer :: i
    stopped = ''
    i = 1
    do while (message(i) /= c_null_char)
      stopped = stopped // message(i)
      i = i + 1
    end do
  end subroutine on_stop
end module stop_capture

program helpers
  use, intrinsic :: iso_c_binding, only: c_char, c_null_char, c_funloc, c_null_funptr
  use morvane
  use stop_capture
  implicit none
  character(len=*), parameter :: nul = c_null_char
  integer :: failed = 0, passed = 0, i
  character(len=32) :: expected_version
  character(kind=c_char) :: field8(8)
  character(len=128) :: msg
  character(kind=c_char) :: cmsg(128)
  type(SeriesSpec) :: spec
  type(KEYLIST), save :: list
  type(VarDescriptor) :: vars(1)
  real :: x(2), y(2), xout(2), yout(2), obs(3, 1)
  integer :: nout, nobs
  ! READINP's arguments (an unknown model touches none of them).
  type(SeriesSpec) :: specs(1)
  character(len=128) :: site
  integer :: n
  real :: r, series(1900:1901), mat(9, 1900:1901), k66(6, 6), v2(2), v3(3), v9(9)

  ! morvane_set on an 8-byte record field, then the bytes it holds.
  character(len=*), parameter :: set_in(4) = [character(len=13) :: &
      'pH', 'ANC_lake_long', '', '  lead']
  character(len=*), parameter :: set_out(4) = [character(len=8) :: &
      'pH', 'ANC_lake', '', '  lead']
  ! morvane_get of an 8-byte field: its bytes, then the text.
  character(len=*), parameter :: get_in(6) = [character(len=8) :: &
      'pH      ', 'ab' // nul // 'cd   ', '  x     ', repeat(nul, 8), 'ANC_lake', &
      ' ' // nul // 'x     ']
  character(len=*), parameter :: get_out(6) = [character(len=8) :: &
      'pH', 'ab', '  x', '', 'ANC_lake', '']
  integer, parameter :: get_len(6) = [2, 2, 3, 0, 8, 0]
  ! morvane_ok of a 128-byte message: all blanks up to the zero byte.
  character(len=128) :: ok_in(5)
  logical, parameter :: ok_out(5) = [.true., .true., .false., .true., .false.]

  call get_command_argument(1, expected_version)

  do i = 1, size(set_in)
    field8 = 'Z'
    call morvane_set(field8, trim(set_in(i)))
    call check('morvane_set ' // trim(set_in(i)), bytes(field8) == set_out(i))
  end do
  msg = repeat(nul, 128)
  call morvane_set(msg(1:5), 'abcdefg')
  call check('morvane_set of a character variable', msg(1:6) == 'abcde' // nul)
  call morvane_set(spec%opt, 'p')
  call check('morvane_set of a one-letter field', spec%opt == 'p')

  do i = 1, size(get_in)
    field8 = transfer(get_in(i), field8)
    call check('morvane_get ' // trim(get_out(i)), morvane_get(field8) == get_out(i) .and. &
        len(morvane_get(field8)) == get_len(i))
    call check('morvane_get (string) ' // trim(get_out(i)), &
        morvane_get(get_in(i)) == get_out(i) .and. len(morvane_get(get_in(i))) == get_len(i))
  end do

  ok_in(1) = repeat(' ', 127) // nul
  ok_in(2) = repeat(' ', 128)
  ok_in(3) = 'xREADINP: Unknown model!' // nul
  ok_in(4) = nul // 'text behind the zero byte'
  ok_in(5) = repeat(' ', 127) // 'x'
  do i = 1, size(ok_in)
    cmsg = transfer(ok_in(i), cmsg)
    call check('morvane_ok ' // trim(ok_in(i)(1:30)), &
        (morvane_ok(ok_in(i)) .eqv. ok_out(i)) .and. (morvane_ok(cmsg) .eqv. ok_out(i)))
  end do

  call check('morvane_version_text', morvane_version_text() == trim(expected_version))

  ! Messages come back as 127 blank-padded characters and a zero byte.
  call morvane_set(list%name, 'kesto')
  call morvane_set(list%file, 'missing.inp')
  msg = repeat('#', 128)
  call READINP(1, vars, never_called, list, 1900, 1901, site, n, n, n, n, r, r, series, &
      series, r, r, r, r, r, n, k66, r, series, series, r, r, r, r, r, r, n, v3, series, &
      series, series, v9, mat, mat, mat, spec, specs, r, r, r, r, r, r, r, v2, r, series, &
      series, spec, msg)
  call check('READINP message', msg == 'xREADINP: Unknown model!' // &
      repeat(' ', 127 - 24) // nul .and. .not. morvane_ok(msg))
  call check('READINP message text', morvane_get(msg) == 'xREADINP: Unknown model!')

  call morvane_set(spec%path, 'no_such_file.dat')
  nobs = -7
  call PREPOBS(spec, -99.0, 1900, 2000, nobs, obs, cmsg)
  call check('PREPOBS message', morvane_get(cmsg) == 'xFile  no_such_file.dat  not found' &
      .and. nobs == -7)

  ! A host's stop handler receives the message; the routine then returns.
  x = [0.0, 10.0]
  y = [10.0, 8.0]
  call morvane_set_stop_handler(c_funloc(on_stop))
  call SHFTPOLY(2, x, y, 4.0, nout, xout, yout)
  call morvane_set_stop_handler(c_null_funptr)
  call check('stop handler', allocated(stopped))
  if (allocated(stopped)) call check('stop handler message', stopped == 'SHFTPOLY: Impossible!')

  write (*, '(i0, a, i0, a)') passed, ' passed, ', failed, ' failed'
  if (failed > 0) error stop 1

contains

  subroutine check(name, ok)
    character(len=*), intent(in) :: name
    logical, intent(in) :: ok
    if (ok) then
      passed = passed + 1
    else
      failed = failed + 1
      write (*, '(a)') 'FAILED: ' // name
    end if
  end subroutine check

  function bytes(field) result(text)
    character(kind=c_char), intent(in) :: field(:)
    character(len=size(field)) :: text
    text = transfer(field, text)
  end function bytes

end program helpers
